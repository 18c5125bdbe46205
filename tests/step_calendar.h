// SPDX-License-Identifier: MIT
// The conversion rules transcribed step by step, as a second reference for the add-in's
// closed-form calendar. Slow on purpose: it guesses the year and corrects it one year at a time.
#pragma once

#include <cstdint>

namespace step {

constexpr bool IsLeap(uint16_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

constexpr uint16_t kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr uint16_t MonthLength(uint16_t m, uint16_t y) {
    return static_cast<uint16_t>(kLengths[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0));
}

constexpr int32_t DateToDays(uint16_t d, uint16_t m, uint16_t year) {
    const int32_t y = year;
    int32_t n = 365 * y + (y - 1) / 4 - (y - 1) / 100 + (y - 1) / 400 - 365;
    for (uint16_t i = 1; i < m; ++i) n += MonthLength(i, year);
    return n + d;
}

// Outside the calendar the correction would never settle; those numbers clamp to its ends.
constexpr void DaysToDate(int32_t n, uint16_t& d, uint16_t& m, uint16_t& year) {
    if (n < -364) n = -364;
    if (n > 23936166) n = 23936166;
    for (int32_t k = 0;;) {
        year = static_cast<uint16_t>(n / 365 - k);
        const int32_t y = year;
        int32_t t = n - 365 * (y - 1) - ((y - 1) / 4 - (y - 1) / 100 + (y - 1) / 400);
        if (t <= 0) { ++k; continue; }
        if (t > 365 && !(t == 366 && IsLeap(year))) { --k; continue; }
        for (m = 1; static_cast<uint32_t>(t) > MonthLength(m, year); ++m) t -= MonthLength(m, year);
        d = static_cast<uint16_t>(t);
        return;
    }
}

}  // namespace step
