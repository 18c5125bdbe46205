// SPDX-License-Identifier: MIT
#include "function_catalog.h"

namespace dfa_host {

namespace {

constexpr ArgumentText kFirstDate{"first_date", "the date to count from"};
constexpr ArgumentText kSecondDate{"second_date", "the date to count to"};
constexpr ArgumentText kMode{"mode", "1 for the ISO 8601 variant (it is truncated, so 1.9 is 1 too), anything else for the standard one"};
constexpr ArgumentText kDate{"date", "any day of the month or year asked about"};

constexpr CatalogEntry kCatalog[] = {
    {"QvDate_GetDiffWeeks",
     "Whole weeks from the first date to the second. ISO mode counts them from the Monday of ISO week 1 of "
     "the first date's year.",
     {kFirstDate, kSecondDate, kMode}, "=QVDATE_GETDIFFWEEKS(DATE(2004,1,2),DATE(2004,1,5),1)", 1},
    {"QvDate_GetDiffMonths",
     "Whole months from the first date to the second; a month counts once the day of the month is reached "
     "again (31 January to 28 February is none). ISO mode counts calendar months alone.",
     {kFirstDate, kSecondDate, kMode}, "=QVDATE_GETDIFFMONTHS(DATE(2005,1,31),DATE(2005,2,28),0)", 0},
    {"QvDate_GetDiffYears",
     "Whole years from the first date to the second, as whole months divided by 12. ISO mode counts "
     "calendar years alone.",
     {kFirstDate, kSecondDate, kMode}, "=QVDATE_GETDIFFYEARS(DATE(2004,3,1),DATE(2005,2,28),1)", 1},
    {"QvDate_IsLeapYear", "1 if the year of the date is a leap year, else 0.", {kDate}, "=QVDATE_ISLEAPYEAR(DATE(1900,3,1))", 0},
    {"QvDate_DaysInMonth", "The number of days in the month of the date, 28 to 31.", {kDate},
     "=QVDATE_DAYSINMONTH(DATE(2004,2,10))", 29},
    {"QvDate_DaysInYear", "The number of days in the year of the date, 365 or 366.", {kDate},
     "=QVDATE_DAYSINYEAR(DATE(2000,6,1))", 366},
    {"QvDate_WeeksInYear", "The number of ISO 8601 weeks in the year of the date, 52 or 53.", {kDate},
     "=QVDATE_WEEKSINYEAR(DATE(2026,1,1))", 53},
};

}  // namespace

const CatalogEntry* FindInCatalog(std::string_view entryName) {
    for (const CatalogEntry& entry : kCatalog)
        if (entry.entryName == entryName) return &entry;
    return nullptr;
}

Role RoleOf(const FunctionInfo& function, std::size_t input) {
    return function.inputs == 3 && input == 2 ? Role::kMode : Role::kDate;
}

ArgumentText ArgumentTextOf(const FunctionInfo& function, std::size_t input) {
    if (const CatalogEntry* entry = FindInCatalog(function.entryName);
        entry && input < kMaxInputs && !entry->arguments[input].name.empty())
        return entry->arguments[input];
    if (RoleOf(function, input) == Role::kMode) return kMode;
    return function.inputs == 3 ? (input == 0 ? kFirstDate : kSecondDate) : kDate;
}

}  // namespace dfa_host
