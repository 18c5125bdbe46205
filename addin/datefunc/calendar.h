// The add-in's calendar: proleptic Gregorian, 16-bit years 0..65535, day numbers that count
// 1 January of year 1 as day 1. Year 0 is a leap year whose days are -364..1, so day 1 is both
// 31 December of year 0 and 1 January of year 1; DaysToDate reads it as the former.
//
// Everything here is constexpr and branch-light: it runs once or twice per worksheet call.
#pragma once

#include <cstdint>

namespace dfa {

// All arithmetic below stays within 32 bits: the largest intermediate is a day count of at most
// 24.1 million (checked by the static_asserts at the end).
static_assert(sizeof(int32_t) == 4 && sizeof(uint32_t) == 4);

inline constexpr uint16_t aDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Days before the first of each month in a common year.
inline constexpr uint16_t aDaysBeforeMonth[12] = {0,   31,  59,  90,  120, 151,
                                                  181, 212, 243, 273, 304, 334};

inline constexpr int32_t kDaysPer400Years = 365 * 400 + 97;
inline constexpr int32_t kFirstDay = -364;     // 1 January of year 0
inline constexpr int32_t kLastDay = 23936166;  // 31 December of year 65535

// Bitwise rather than logical operators: random years would mispredict a branch a quarter
// of the time.
constexpr bool IsLeapYear(uint16_t nYear) noexcept {
    return ((nYear % 4 == 0) & (nYear % 100 != 0)) | (nYear % 400 == 0);
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

// Writes the date of a day number. Numbers outside kFirstDay..kLastDay are clamped to the
// first or last day of the calendar. Constant time: the 400-, 100- and 4-year cycles are
// unrolled arithmetically, with years counted from 1 March so the leap day ends each year.
constexpr void DaysToDate(int32_t nDays, uint16_t* pDay, uint16_t* pMonth,
                          uint16_t* pYear) noexcept {
    const int32_t n = nDays < kFirstDay ? kFirstDay : nDays > kLastDay ? kLastDay : nDays;
    // Day numbers up to 1 run one day ahead of the plain proleptic count, in which 31 December
    // of year 0 is day 0 and 1 March of year 0 is day -305.
    const int32_t nProleptic = n - (n <= 1);
    // Days since 1 March of year -400: one era earlier keeps the count non-negative.
    const uint32_t z = static_cast<uint32_t>(nProleptic + 305 + kDaysPer400Years);  // [146037, 24082568]
    const uint32_t era = z / kDaysPer400Years;                                   // [0, 164]
    const uint32_t doe = z - era * kDaysPer400Years;                             // [0, 146096]
    const uint32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
    const uint32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
    const uint32_t mp = (5 * doy + 2) / 153;                                     // [0, 11], March = 0
    *pDay = static_cast<uint16_t>(doy - (153 * mp + 2) / 5 + 1);                 // [1, 31]
    *pMonth = static_cast<uint16_t>(mp < 10 ? mp + 3 : mp - 9);                  // [1, 12]
    *pYear = static_cast<uint16_t>(era * 400 + yoe + (mp >= 10) - 400);          // [0, 65535]
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
