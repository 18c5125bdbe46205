// SPDX-License-Identifier: MIT
// What the worksheet functions read instead of computing: per year of one 400-year cycle
// (indexed by YearInCycle, [3, 403]) the results of the functions that need only the year and
// the Monday of ISO week 1, and per day of the year the months-and-days key and the month's
// length. Weekdays and leap years repeat every 400 years (146,097 days are 20,871 weeks), so one
// cycle serves every year; all of it is built and checked at compile time.
#pragma once

#include <cstdint>

#include "calendar.h"

namespace dfa {

constexpr uint32_t kCycleIndexFirst = 3, kCycleIndexLast = 403;

// The year that stands for an index: index i of era e names year 400 (e - 1) + (i - 3), which
// has the leap rule, weekdays and month lengths of year 397 + i. Those are years 400 to 800,
// where every year follows the plain rules (year 0 does not: see kYear0Monday).
constexpr uint16_t CycleYear(uint32_t nIndex) noexcept { return static_cast<uint16_t>(397 + nIndex); }

// Weekday of day number n, 0 = Monday, the remainder of a division truncating toward zero: in
// year 0 it is negative and matches no weekday.
constexpr int32_t Weekday(int32_t n) noexcept { return (n - 1) % 7; }

// Years starting on a Thursday, and leap years starting on a Wednesday, have 53 ISO weeks.
constexpr int32_t WeeksInYearFromWeekday(uint16_t nYear) noexcept {
    const int32_t nWeekday = Weekday(DateToDays(1, 1, nYear));
    return 52 + ((nWeekday == 3) | ((nWeekday == 2) & IsLeapYear(nYear)));
}

// The Monday of ISO week 1: the Monday on or before 4 January (for year 0 whatever the
// truncating weekday makes of it).
constexpr int32_t IsoWeek1Monday(uint16_t nYear) noexcept {
    const int32_t nJan4 = DateToDays(4, 1, nYear);
    return nJan4 - Weekday(nJan4);
}

struct CycleTables {
    // Results as the worksheet functions write them: a table load is the whole computation.
    double aLeapYear[404];
    double aDaysInYear[404];
    double aWeeksInYear[404];
    // The Monday of ISO week 1 less kDaysPer400Years times the era of the year's January: the
    // era's days added back give the day number. Year 0 has a Monday of its own (kYear0Monday).
    int32_t aIsoWeek1Monday[404];
    // Where a year's month lengths start in aDaysInMonth: by its days of the year in the
    // Julianised layout (1 March is day 60 in every year divisible by 4) and its 29 February.
    uint16_t aMonthLengthsOffset[404];
    double aDaysInMonth[3 * 366];
    // 32 times the month counted from March, plus the day: the months difference of two dates
    // is the difference of 384 per year plus these, divided by 32 (see MonthsKey).
    uint16_t aMarchKey[366];

    constexpr CycleTables()
        : aLeapYear{}, aDaysInYear{}, aWeeksInYear{}, aIsoWeek1Monday{}, aMonthLengthsOffset{}, aDaysInMonth{},
          aMarchKey{} {
        for (uint32_t i = kCycleIndexFirst; i <= kCycleIndexLast; ++i) {
            const uint16_t y = CycleYear(i);
            aLeapYear[i] = IsLeapYear(y) ? 1.0 : 0.0;
            aDaysInYear[i] = IsLeapYear(y) ? 366.0 : 365.0;
            aWeeksInYear[i] = WeeksInYearFromWeekday(y);
            // Year y = 397 + i lies two eras after the year of era 0 at index i.
            aIsoWeek1Monday[i] = IsoWeek1Monday(y) - 2 * kDaysPer400Years;
            aMonthLengthsOffset[i] = y % 4 != 0 ? 0 : IsLeapYear(y) ? 366 : 732;
        }
        for (int layout = 0; layout < 3; ++layout) {
            const bool bJulianLeap = layout != 0, bLeap = layout == 1;
            for (int nDay = 0, m = 1; m <= 12; ++m) {
                const int nSlots = m == 2 ? 28 + bJulianLeap : DaysInMonth(static_cast<uint16_t>(m), 2001);
                for (int d = 0; d < nSlots; ++d, ++nDay)
                    aDaysInMonth[layout * 366 + nDay] = m == 2 ? 28 + bLeap : nSlots;
            }
            if (!bJulianLeap) aDaysInMonth[365] = 31;  // no such day; keeps the table whole
        }
        for (int nDay = 0; nDay < 366; ++nDay) {
            const int nMonthFromMarch = (aMarchYear.aMonth[nDay] + 9) % 12;
            aMarchKey[nDay] = static_cast<uint16_t>(32 * nMonthFromMarch + aMarchYear.aDay[nDay]);
        }
    }
};
inline constexpr CycleTables aCycle;

// Year 0's ISO week-1 Monday, which its negative weekdays put off the cycle.
inline constexpr int32_t kYear0Monday = IsoWeek1Monday(0);

// Read as the worksheet functions read them, the tables give every year of two cycles what the
// plain rules give it: 4 January and 31 December for the year's results and its ISO Monday, the
// last day of each month for its length. The run-time sweeps cover every day of the calendar.
constexpr int32_t IsoWeek1MondayFromTable(int32_t nDayOfYear) noexcept {
    const JulianDay j = Julianise(nDayOfYear);
    const CalendarYear year = ToCalendarYear(j);
    if (year.nShifted == 403) return kYear0Monday;
    return aCycle.aIsoWeek1Monday[YearInCycle(year, j)] + kDaysPer400Years * static_cast<int32_t>(j.nEra);
}

constexpr bool CycleTablesMatchTheRules() {
    for (uint16_t y = 0; y <= 800; ++y) {
        const int32_t aDays[2] = {DateToDays(4, 1, y), DateToDays(31, 12, y)};
        for (int32_t n : aDays) {
            const JulianDay j = Julianise(n);
            const uint32_t i = YearInCycle(ToCalendarYear(j), j);
            if (aCycle.aWeeksInYear[i] != WeeksInYearFromWeekday(y) || aCycle.aLeapYear[i] != IsLeapYear(y) ||
                aCycle.aDaysInYear[i] != 365 + IsLeapYear(y) || IsoWeek1MondayFromTable(n) != IsoWeek1Monday(y))
                return false;
        }
        for (uint16_t m = 1; m <= 12; ++m) {
            const JulianDay j = Julianise(DateToDays(DaysInMonth(m, y), m, y));
            const CalendarYear year = ToCalendarYear(j);
            const uint32_t nOffset = aCycle.aMonthLengthsOffset[YearInCycle(year, j)];
            if (aCycle.aDaysInMonth[nOffset + year.nDayOfYear] != DaysInMonth(m, y)) return false;
        }
    }
    return true;
}
static_assert(CycleTablesMatchTheRules());

}  // namespace dfa
