// SPDX-License-Identifier: MIT
// The add-in's calendar: proleptic Gregorian, 16-bit years 0..65535, day numbers that count
// 1 January of year 1 as day 1. Year 0 is a leap year whose days are -364..1, so day 1 is both
// 31 December of year 0 and 1 January of year 1; DaysToDate reads it as the former.
//
// Everything here is constexpr and branch-light: it runs once or twice per worksheet call.
#pragma once

#include <cstdint>

namespace dfa {

// Day counts stay within 32 bits: the largest is at most 24.1 million, and DaysToDateInCalendar
// keeps its one wider product in 64 bits. The ranges are noted beside each intermediate; the
// static_asserts at the end check the conversions at the calendar's ends and at day 1.
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
    const int32_t nBeforeYear = 365 * y1 + y1 / 4 - y1 / 100 + y1 / 400;        // [-365, 23935800]
    const int32_t nBeforeMonth =
        aDaysBeforeMonth[nMonth - 1] + ((nMonth > 2) & IsLeapYear(nYear));  // [0, 335]
    return nBeforeYear + nBeforeMonth + nDay;
}

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

// DaysToDate for a day number already within kFirstDay..kLastDay. Constant time and short
// dependency chains: the century, then the year within it, are each found by one
// multiplication (Euclidean affine functions), month and day by aMarchYear; years count from
// 1 March so that the leap day ends each year.
constexpr void DaysToDateInCalendar(int32_t n, uint16_t* pDay, uint16_t* pMonth,
                                    uint16_t* pYear) noexcept {
    // Day numbers up to 1 run one day ahead of the plain proleptic count, in which 31 December
    // of year 0 is day 0 and 1 March of year 0 is day -305.
    const int32_t nProleptic = n - (n <= 1);
    // Days since 1 March of year -400: one era earlier keeps the count non-negative.
    const uint32_t z = static_cast<uint32_t>(nProleptic + 305 + kDaysPer400Years);  // [146037, 24082568]
    const uint32_t n1 = 4 * z + 3;
    const uint32_t nCentury = n1 / kDaysPer400Years;                // [0, 659] since March of -400
    const uint32_t nDayOfCentury = n1 % kDaysPer400Years / 4;       // [0, 36524]
    // 2939745 / 2^32 is 4 / 1461 to within the precision the century's days need.
    const uint64_t p2 = uint64_t{2939745} * (4 * nDayOfCentury + 3);
    const uint32_t nYearOfCentury = static_cast<uint32_t>(p2 >> 32);                      // [0, 99]
    const uint32_t nDayOfYear = static_cast<uint32_t>(p2) / 2939745 / 4;                  // [0, 365], 1 March = 0
    const bool bNextYear = nDayOfYear >= 306;                                             // January, February
    *pDay = aMarchYear.aDay[nDayOfYear];
    *pMonth = aMarchYear.aMonth[nDayOfYear];
    *pYear = static_cast<uint16_t>(100 * nCentury + nYearOfCentury + bNextYear - 400);   // [0, 65535]
}

// Writes the date of a day number. Numbers outside kFirstDay..kLastDay are clamped to the
// first or last day of the calendar.
constexpr void DaysToDate(int32_t nDays, uint16_t* pDay, uint16_t* pMonth,
                          uint16_t* pYear) noexcept {
    const int32_t n = nDays < kFirstDay ? kFirstDay : nDays > kLastDay ? kLastDay : nDays;
    DaysToDateInCalendar(n, pDay, pMonth, pYear);
}

namespace detail {
constexpr bool ConvertsTo(int32_t nDays, uint16_t nDay, uint16_t nMonth, uint16_t nYear) {
    uint16_t d = 0, m = 0, y = 0;
    DaysToDate(nDays, &d, &m, &y);
    return d == nDay && m == nMonth && y == nYear;
}
}  // namespace detail

static_assert(DateToDays(1, 1, 0) == kFirstDay && DateToDays(31, 12, 65535) == kLastDay);
static_assert(detail::ConvertsTo(kFirstDay, 1, 1, 0) && detail::ConvertsTo(kLastDay, 31, 12, 65535));
static_assert(detail::ConvertsTo(1, 31, 12, 0) && detail::ConvertsTo(2, 2, 1, 1));

}  // namespace dfa
