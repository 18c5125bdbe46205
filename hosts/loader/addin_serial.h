// SPDX-License-Identifier: MIT
// An engine's date as the add-in's serial, through the add-in's own calendar: the hosts that
// compile the add-in in (the SQL engines' extensions) and dfa-host's ISO dates all turn a year,
// month and day into a serial here. The add-in's calendar runs from 0000-01-01 to 65535-12-31;
// a date outside it has no serial, and neither has 0001-01-01, whose day number the add-in reads
// as 31 December of year 0. No answer is better than the answer for another day.
#pragma once

#include <cstdint>
#include <optional>

#include "calendar.h"

namespace dfa_host {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, any year: 400-year eras
// counted from 1 March, so that the leap day ends its year.
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) noexcept {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;                                      // [0, 399]
    const int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;    // [0, 365]
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;  // [0, 146096]
    return era * dfa::kDaysPer400Years + dayOfEra - 719468;  // 719468: 0000-03-01 to 1970-01-01
}

// a / b rounded down, for counts of time units before 1970 as after (b > 0).
constexpr int64_t FloorDivide(int64_t a, int64_t b) noexcept { return a / b - (a % b < 0); }

inline constexpr int64_t kLastAddinYear = 65535;

// The add-in's day number of a date that exists (the caller has checked month and day).
constexpr std::optional<int32_t> AddinDayNumber(int64_t y, unsigned m, unsigned d) noexcept {
    if (y < 0 || y > kLastAddinYear || (y == 1 && m == 1 && d == 1)) return std::nullopt;
    return dfa::DateToDays(static_cast<uint16_t>(d), static_cast<uint16_t>(m), static_cast<uint16_t>(y));
}

// The serial that the add-in reads as that date.
constexpr std::optional<double> AddinSerial(int64_t y, unsigned m, unsigned d) noexcept {
    const std::optional<int32_t> n = AddinDayNumber(y, m, d);
    if (!n) return std::nullopt;
    return static_cast<double>(*n - dfa::kNullDate);
}

// The same for a day counted from 1970-01-01, the engines' usual epoch, without the date: in
// its calendar the add-in numbers the days as the proleptic count does from 0001-01-02 on, and
// the days of year 0 one ahead (the tests hold this against the date's serial for every day).
inline constexpr int64_t kFirstAddinDays = DaysFromCivil(0, 1, 1), kLastAddinDays = DaysFromCivil(65535, 12, 31);
inline constexpr int64_t kYear1Days = DaysFromCivil(1, 1, 1);  // 0001-01-01, which has no serial
inline constexpr int64_t kSerialOf1970 = dfa::DateToDays(1, 1, 1970) - dfa::kNullDate;

constexpr std::optional<double> AddinSerialOfDays(int64_t daysSince1970) noexcept {
    if (daysSince1970 < kFirstAddinDays || daysSince1970 > kLastAddinDays || daysSince1970 == kYear1Days)
        return std::nullopt;
    return static_cast<double>(daysSince1970 + kSerialOf1970 + (daysSince1970 < kYear1Days));
}

static_assert(DaysFromCivil(1970, 1, 1) == 0 && DaysFromCivil(2000, 3, 1) == 11017 && DaysFromCivil(0, 3, 1) == -719468);
static_assert(DaysFromCivil(0, 2, 29) == -719469 && DaysFromCivil(-1, 12, 31) == -719529);
static_assert(AddinSerial(1899, 12, 30) == 0.0 && AddinSerial(2004, 1, 1) == 37987.0);
static_assert(AddinSerialOfDays(DaysFromCivil(0, 12, 31)) == AddinSerial(0, 12, 31) && !AddinSerial(1, 1, 1));
static_assert(AddinSerialOfDays(DaysFromCivil(1, 1, 2)) == AddinSerial(1, 1, 2) && !AddinSerialOfDays(kYear1Days));
static_assert(AddinSerialOfDays(DaysFromCivil(65535, 12, 31)) == double{dfa::kLastDay - dfa::kNullDate});
static_assert(!AddinSerialOfDays(DaysFromCivil(-1, 12, 31)) && !AddinSerialOfDays(DaysFromCivil(65536, 1, 1)));

}  // namespace dfa_host
