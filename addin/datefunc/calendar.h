// SPDX-License-Identifier: MIT
// The add-in's calendar: proleptic Gregorian, 16-bit years 0..65535, day numbers that count
// 1 January of year 1 as day 1. Year 0 is a leap year whose days are -364..1, so day 1 is both
// 31 December of year 0 and 1 January of year 1; DaysToDate reads it as the former.
//
// Everything here is constexpr and branch-light. The worksheet functions take their steps
// (Julianise, ToMarchDate) and read the rest from the tables of cycle.h.
#pragma once

#include <cstdint>

namespace dfa {

// Every intermediate stays within 32 bits: the ranges are noted beside each, and the
// static_asserts at the end check the extremes and the conversions at the calendar's ends.
static_assert(sizeof(int32_t) == 4 && sizeof(uint32_t) == 4);

inline constexpr uint16_t aDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Days before the first of each month in a common year.
inline constexpr uint16_t aDaysBeforeMonth[12] = {0,   31,  59,  90,  120, 151,
                                                  181, 212, 243, 273, 304, 334};

inline constexpr int32_t kDaysPer400Years = 365 * 400 + 97;
inline constexpr int32_t kFirstDay = -364;     // 1 January of year 0
inline constexpr int32_t kLastDay = 23936166;  // 31 December of year 65535

// Divisible by 4 and not by 100, or by 400. Among years divisible by 25 that means divisible
// by 16, among the others divisible by 4: one remainder and a mask, no branch to mispredict.
constexpr bool IsLeapYear(uint16_t nYear) noexcept {
    return (nYear & (nYear % 25 != 0 ? 3 : 15)) == 0;
}

// nMonth is 1..12.
constexpr uint16_t DaysInMonth(uint16_t nMonth, uint16_t nYear) noexcept {
    return static_cast<uint16_t>(aDaysInMonth[nMonth - 1] + ((nMonth == 2) & IsLeapYear(nYear)));
}

// nMonth is 1..12; nDay is added whatever its value. The year's quotients truncate toward
// zero, so year 0 gets no leap-day correction: its 1 January is day -364.
constexpr int32_t DateToDays(uint16_t nDay, uint16_t nMonth, uint16_t nYear) noexcept {
    const int32_t y1 = int32_t{nYear} - 1;                                      // [-1, 65534]
    const int32_t nBeforeYear = 365 * y1 + y1 / 4 - y1 / 100 + y1 / 400;        // [-365, 23935801]
    const int32_t nBeforeMonth =
        aDaysBeforeMonth[nMonth - 1] + ((nMonth > 2) & IsLeapYear(nYear));  // [0, 335]
    return nBeforeYear + nBeforeMonth + nDay;
}

// The day number of serial 0 once the host has run the handshake: 30 December 1899.
inline constexpr int32_t kNullDate = DateToDays(30, 12, 1899);

// Month and day of each day of a year counted from 1 March, whose February ends it: two loads
// instead of a chain of multiplications.
struct MarchYear {
    uint8_t aMonth[366];
    uint8_t aDay[366];
    constexpr MarchYear() : aMonth{}, aDay{} {
        constexpr uint8_t aLengths[12] = {31, 30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 29};
        for (int i = 0, nDayOfYear = 0; i < 12; ++i)
            for (int d = 1; d <= aLengths[i]; ++d, ++nDayOfYear) {
                aMonth[nDayOfYear] = static_cast<uint8_t>((i + 2) % 12 + 1);
                aDay[nDayOfYear] = static_cast<uint8_t>(d);
            }
    }
};
inline constexpr MarchYear aMarchYear;

// The conversions below work on a day number already within kFirstDay..kLastDay, counted as
// days since 1 March of year -400 (one era earlier keeps the count non-negative) and then
// "Julianised": every century year that the Gregorian rule makes common gets back its
// 29 February as a day that no date reaches. In that count every fourth year is a leap year, so
// one division by 1,461 days (4 years) finds the year, where the plain count needs two steps.
struct JulianDay {
    uint32_t nDays;  // [146040, 24083063], Julianised days since 1 March of year -400
    uint32_t nEra;   // [0, 164], 400-year eras since year -400
};

// Day numbers up to 1 run one day ahead of the plain proleptic count, in which 31 December of
// year 0 is day 0 and 1 March of year 0 is day -305.
constexpr JulianDay Julianise(int32_t n) noexcept {
    const uint32_t z = static_cast<uint32_t>(n - (n <= 1) + 305 + kDaysPer400Years);  // [146037, 24082568]
    const uint32_t nCenturies = (4 * z + 3) / kDaysPer400Years;  // [3, 659] since 1 March of -400
    return {z + nCenturies - nCenturies / 4, nCenturies / 4};
}

// The year counted from 1 March of year -400, and the day within it (1 March = 0).
struct MarchDate {
    uint32_t nYear;       // [399, 65935], the calendar year + 400, less one in January and February
    uint32_t nDayOfYear;  // [0, 365]
};

constexpr MarchDate ToMarchDate(JulianDay j) noexcept {
    const uint32_t n = 4 * j.nDays + 3;  // [584163, 96332255]
    const uint32_t nYear = n / 1461;
    return {nYear, (n - 1461 * nYear) / 4};
}

// Day numbers outside kFirstDay..kLastDay read as the first or last day of the calendar.
constexpr int32_t ClampToCalendar(int64_t nDays) noexcept {
    return static_cast<int32_t>(nDays < kFirstDay ? kFirstDay : nDays > kLastDay ? kLastDay : nDays);
}

// Writes the date of a day number, clamped to the calendar: constant time, month and day from
// aMarchYear. No worksheet function needs all three parts of a date, so none calls it: they
// read what they need from the same March date (MonthsKey, cycle.h). It is the calendar's
// reference conversion, which the tests hold against the standard library's calendar.
constexpr void DaysToDate(int32_t nDays, uint16_t* pDay, uint16_t* pMonth, uint16_t* pYear) noexcept {
    const MarchDate date = ToMarchDate(Julianise(ClampToCalendar(nDays)));
    const bool bNextYear = date.nDayOfYear >= 306;  // January, February
    *pDay = aMarchYear.aDay[date.nDayOfYear];
    *pMonth = aMarchYear.aMonth[date.nDayOfYear];
    *pYear = static_cast<uint16_t>(date.nYear + bNextYear - 400);  // [0, 65535]
}

namespace detail {
constexpr bool ConvertsTo(int32_t nDays, uint16_t nDay, uint16_t nMonth, uint16_t nYear) {
    uint16_t d = 0, m = 0, y = 0;
    DaysToDate(nDays, &d, &m, &y);
    return d == nDay && m == nMonth && y == nYear;
}

// The first and last day of every month of one 400-year cycle and the year after it convert to
// their dates; the run-time sweep covers every day of the calendar.
constexpr bool EveryMonthOfACycleConverts() {
    for (uint16_t y = 0; y <= 400; ++y)
        for (uint16_t m = 1; m <= 12; ++m) {
            const int32_t nFirst = DateToDays(1, m, y), nLast = nFirst + DaysInMonth(m, y) - 1;
            const bool bDayOne = y == 1 && m == 1;  // its day number reads as 31 December of year 0
            if (!bDayOne && !ConvertsTo(nFirst, 1, m, y)) return false;
            if (!ConvertsTo(nLast, static_cast<uint16_t>(nLast - nFirst + 1), m, y)) return false;
        }
    return true;
}
}  // namespace detail

static_assert(detail::EveryMonthOfACycleConverts());
static_assert(DateToDays(1, 1, 0) == kFirstDay && DateToDays(31, 12, 65535) == kLastDay);
// The days before 1 January (day 0 of January) span DateToDays' year term.
static_assert(DateToDays(0, 1, 0) == -365 && DateToDays(0, 1, 65535) == 23935801);
static_assert(Julianise(kFirstDay).nDays == 146040 && Julianise(kLastDay).nDays == 24083063);
static_assert(Julianise(kFirstDay).nEra == 0 && Julianise(kLastDay).nEra == 164);
static_assert(detail::ConvertsTo(kFirstDay, 1, 1, 0) && detail::ConvertsTo(kLastDay, 31, 12, 65535));
static_assert(detail::ConvertsTo(1, 31, 12, 0) && detail::ConvertsTo(2, 2, 1, 1));
// Beyond the calendar, its ends.
static_assert(detail::ConvertsTo(INT32_MIN, 1, 1, 0) && detail::ConvertsTo(INT32_MAX, 31, 12, 65535));

}  // namespace dfa
