// SPDX-License-Identifier: MIT
// What the worksheet functions read instead of computing. Weekdays and leap years repeat every
// 400 years (146,097 days are 20,871 weeks), so the results that depend on the year alone are
// read from one row per year of a cycle, the month lengths from one row per day of the year,
// and the months difference from a key per day. All of it is built and checked at compile time.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "calendar.h"

namespace dfa {

// 1 January falls 306 days after 1 March, so the count of 1 Januaries passed is the March year
// of the day 306 days earlier, plus one. Going four years less 306 days forward instead keeps
// the count non-negative; the year then comes out 403 too high.
inline constexpr uint32_t kDaysPer4Years = 4 * 365 + 1;
inline constexpr uint32_t kJanuaryToMarch = 306;

struct CalendarYear {
    uint32_t nYearPlus403;  // [403, 65938]
    uint32_t nDayOfYear;    // [0, 365], 1 January = 0, in the Julianised layout: 1 March of a
                            // year divisible by 4 is day 60 even when the year is a common one
};

constexpr CalendarYear ToCalendarYear(JulianDay j) noexcept {
    const uint32_t n = 4 * (j.nDays + kDaysPer4Years - kJanuaryToMarch) + 3;  // [588783, 96336875]
    const uint32_t nYearPlus403 = n / kDaysPer4Years;
    return {nYearPlus403, (n - kDaysPer4Years * nYearPlus403) / 4};
}

// A year's row in the cycle tables: its year within its era plus 3, [3, 403]. Row 403 is the
// next era's row 3 (January and February of a year divisible by 400 still count to the era
// before): both rows hold the same year of the cycle.
inline constexpr uint32_t kFirstRow = 3, kLastRow = 403;

constexpr uint32_t CycleRow(CalendarYear year, JulianDay j) noexcept { return year.nYearPlus403 - 400 * j.nEra; }

constexpr uint32_t CycleRowOfDay(int32_t nDays) noexcept {
    const JulianDay j = Julianise(nDays);
    return CycleRow(ToCalendarYear(j), j);
}

// The year a row is built from: row r of era e holds year 400 (e - 1) + r - 3, which has the
// leap rule, weekdays and month lengths of the year two eras later, 800 + r - 403. Those are
// years 400 to 800, where every year follows the plain rules (year 0 does not: kYear0Monday).
constexpr uint16_t RowYear(uint32_t nRow) noexcept { return static_cast<uint16_t>(800 + nRow - kLastRow); }

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

// Month lengths by day of the year come in three layouts of 366 days each: common years not
// divisible by 4, whose Julianised 29 February no date reaches; leap years; and common century
// years, whose 29 February no date reaches either.
inline constexpr uint16_t kLayoutDays = 366;
enum MonthLayout : uint16_t { kCommonLayout = 0, kLeapLayout = kLayoutDays, kCommonCenturyLayout = 2 * kLayoutDays };

struct CycleTables {
    // Results as the worksheet functions write them: a table load is the whole computation.
    double aLeapYear[kLastRow + 1];
    double aDaysInYear[kLastRow + 1];
    double aWeeksInYear[kLastRow + 1];
    // The Monday of ISO week 1 of the row's year in era 0: the era's days added back give the
    // day number. Year 0 has a Monday of its own (kYear0Monday).
    int32_t aIsoWeek1Monday[kLastRow + 1];
    MonthLayout aLayout[kLastRow + 1];
    double aDaysInMonth[3 * kLayoutDays];

    constexpr CycleTables()
        : aLeapYear{}, aDaysInYear{}, aWeeksInYear{}, aIsoWeek1Monday{}, aLayout{}, aDaysInMonth{} {
        for (uint32_t r = kFirstRow; r <= kLastRow; ++r) {
            const uint16_t y = RowYear(r);
            aLeapYear[r] = IsLeapYear(y) ? 1.0 : 0.0;
            aDaysInYear[r] = IsLeapYear(y) ? 366.0 : 365.0;
            aWeeksInYear[r] = WeeksInYearFromWeekday(y);
            aIsoWeek1Monday[r] = IsoWeek1Monday(y) - 2 * kDaysPer400Years;
            aLayout[r] = y % 4 != 0 ? kCommonLayout : IsLeapYear(y) ? kLeapLayout : kCommonCenturyLayout;
        }
        for (const MonthLayout layout : {kCommonLayout, kLeapLayout, kCommonCenturyLayout}) {
            const bool bFebruary29Slot = layout != kCommonLayout, bLeap = layout == kLeapLayout;
            for (int nDay = 0, m = 1; m <= 12; ++m) {
                const int nSlots = m == 2 ? 28 + bFebruary29Slot : DaysInMonth(static_cast<uint16_t>(m), 2001);
                for (int d = 0; d < nSlots; ++d, ++nDay)
                    aDaysInMonth[layout + nDay] = m == 2 ? 28 + bLeap : nSlots;
            }
            if (!bFebruary29Slot) aDaysInMonth[layout + 365] = 31;  // no such day; keeps the row whole
        }
    }
};
inline constexpr CycleTables aCycle;

// Year 0's ISO week-1 Monday, which its negative weekdays put off the cycle.
inline constexpr int32_t kYear0Monday = IsoWeek1Monday(0);

constexpr int32_t IsoWeek1MondayOfDay(int32_t nDays) noexcept {
    const JulianDay j = Julianise(nDays);
    const CalendarYear year = ToCalendarYear(j);
    if (year.nYearPlus403 == 403) return kYear0Monday;
    return aCycle.aIsoWeek1Monday[CycleRow(year, j)] + kDaysPer400Years * static_cast<int32_t>(j.nEra);
}

constexpr double DaysInMonthOfDay(int32_t nDays) noexcept {
    const JulianDay j = Julianise(nDays);
    const CalendarYear year = ToCalendarYear(j);
    return aCycle.aDaysInMonth[aCycle.aLayout[CycleRow(year, j)] + year.nDayOfYear];
}

constexpr uint16_t YearOfDay(int32_t nDays) noexcept {
    return static_cast<uint16_t>(ToCalendarYear(Julianise(nDays)).nYearPlus403 - 403);
}

// 32 times the month counted from March, plus the day of the month, for each day of a year
// counted from 1 March.
struct MarchKeys {
    uint16_t aKey[366];
    constexpr MarchKeys() : aKey{} {
        for (int nDay = 0; nDay < 366; ++nDay)
            aKey[nDay] = static_cast<uint16_t>(32 * ((aMarchYear.aMonth[nDay] + 9) % 12) + aMarchYear.aDay[nDay]);
    }
};
inline constexpr MarchKeys aMarchKeys;

// 32 times the months since March of year -400, plus the day of the month; it grows with the
// day number. The months difference of two days is their key difference divided by 32,
// truncating toward zero: a difference of whole months less one to thirty days rounds down to
// the incomplete month's start exactly when the later date's day of the month is the smaller.
// Divided by 384 it is the years difference, the months difference divided by 12.
constexpr int32_t MonthsKey(int32_t nDays) noexcept {
    const MarchDate date = ToMarchDate(Julianise(nDays));
    return static_cast<int32_t>(384 * date.nYear + aMarchKeys.aKey[date.nDayOfYear]);
}
static_assert(MonthsKey(kFirstDay) == 153537 && MonthsKey(kLastDay) == 25319359);

namespace detail {
// Read as the worksheet functions read them, the tables give every year of two cycles what the
// plain rules give it: 4 January and 31 December for the year's results and its ISO Monday, the
// last day of each month for its length; and the first and last day of each month of a cycle
// fall in their year's row. The run-time sweeps cover every day of the calendar.
constexpr bool CycleTablesMatchTheRules() {
    for (uint16_t y = 0; y <= 800; ++y) {
        for (const int32_t n : {DateToDays(4, 1, y), DateToDays(31, 12, y)}) {
            const uint32_t r = CycleRowOfDay(n);
            if (YearOfDay(n) != y || aCycle.aWeeksInYear[r] != WeeksInYearFromWeekday(y) ||
                aCycle.aLeapYear[r] != IsLeapYear(y) || aCycle.aDaysInYear[r] != 365 + IsLeapYear(y) ||
                IsoWeek1MondayOfDay(n) != IsoWeek1Monday(y))
                return false;
        }
        for (uint16_t m = 1; m <= 12; ++m) {
            const int32_t nFirst = DateToDays(1, m, y), nLast = DateToDays(DaysInMonth(m, y), m, y);
            if (DaysInMonthOfDay(nLast) != DaysInMonth(m, y)) return false;
            // January and February of a year divisible by 400 still belong to the era before.
            const uint32_t nRow = y % 400 == 0 && m <= 2 ? kLastRow : y % 400 + kFirstRow;
            const bool bDayOne = y == 1 && m == 1;  // its day number reads as 31 December of year 0
            if ((!bDayOne && CycleRowOfDay(nFirst) != nRow) || CycleRowOfDay(nLast) != nRow) return false;
        }
    }
    return true;
}
}  // namespace detail
static_assert(detail::CycleTablesMatchTheRules());

}  // namespace dfa
