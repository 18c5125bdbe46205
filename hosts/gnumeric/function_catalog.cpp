// SPDX-License-Identifier: MIT
#include "function_catalog.h"

#include <string_view>

#include "printable.h"

namespace dfa_gnumeric {

namespace {

struct KnownFunction {
    std::string_view entryName, description;
};

constexpr std::string_view kModeDescription =
    "1 for the ISO 8601 variant (it is truncated, so 1.9 is 1 too), anything else for the standard one";

constexpr KnownFunction kKnown[] = {
    {"QvDate_GetDiffWeeks",
     "Whole weeks from the first date to the second. ISO mode counts from the Monday of ISO week 1 of "
     "the first date's year."},
    {"QvDate_GetDiffMonths",
     "Whole months from the first date to the second; a month counts when the day of the month is "
     "reached again. ISO mode counts calendar months alone."},
    {"QvDate_GetDiffYears",
     "Whole years from the first date to the second, as whole months divided by 12. ISO mode counts "
     "calendar years alone."},
    {"QvDate_IsLeapYear", "1 if the year of the date is a leap year, else 0."},
    {"QvDate_DaysInMonth", "The number of days in the month of the date, 28 to 31."},
    {"QvDate_DaysInYear", "The number of days in the year of the date, 365 or 366."},
    {"QvDate_WeeksInYear", "The number of ISO 8601 weeks in the year of the date, 52 or 53."},
};

// The add-in's texts reach the dialog as valid UTF-8 without control characters. A name has ":"
// (which separates it from its description there) and blanks replaced by "_": one word.
std::string Text(const std::string& own, std::string_view fallback, bool isName = false) {
    std::string text = own.empty() ? std::string(fallback) : dfa_host::Printable(own, DFA_TEXT_BUFFER_SIZE);
    if (isName)
        for (char& c : text)
            if (c == ':' || c == ' ') c = '_';
    return text;
}

}  // namespace

FunctionHelp HelpFor(const dfa_host::FunctionInfo& function) {
    std::string_view description = "A function of the dfa add-in.";
    for (const KnownFunction& known : kKnown)
        if (known.entryName == function.entryName) description = known.description;

    // The add-in's description of the function, else its name text, else ours.
    FunctionHelp help;
    help.description = Text(function.parameters[0].description, Text(function.nameText, description));
    const bool dateDateMode = function.inputs == 3;
    for (std::size_t i = 1; i <= function.inputs; ++i) {
        const bool mode = dateDateMode && i == 3;
        std::string_view name = "date", about = "a date: a serial number of the workbook's date system";
        if (dateDateMode && i == 1) name = "first_date", about = "the date to count from";
        if (dateDateMode && i == 2) name = "second_date", about = "the date to count to";
        if (mode) name = "mode", about = kModeDescription;
        const dfa_host::ParameterInfo& own = function.parameters[i];
        help.arguments.push_back({Text(own.name, name, true), Text(own.description, about),
                                  mode ? Role::kMode : Role::kDate});
    }
    return help;
}

}  // namespace dfa_gnumeric
