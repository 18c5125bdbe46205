// SPDX-License-Identifier: MIT
// The add-in's calendar interface on top of the step-by-step conversion, for the benchmark's
// "before" build of the add-in (libdfa_step.so).
#pragma once

#include "step_calendar.h"

namespace dfa {

inline constexpr int32_t kFirstDay = -364;     // 1 January of year 0
inline constexpr int32_t kLastDay = 23936166;  // 31 December of year 65535

constexpr bool IsLeapYear(uint16_t y) noexcept { return step::IsLeap(y); }
constexpr uint16_t DaysInMonth(uint16_t m, uint16_t y) noexcept { return step::MonthLength(m, y); }
constexpr int32_t DateToDays(uint16_t d, uint16_t m, uint16_t y) noexcept { return step::DateToDays(d, m, y); }
constexpr void DaysToDate(int32_t n, uint16_t* d, uint16_t* m, uint16_t* y) noexcept { step::DaysToDate(n, *d, *m, *y); }
constexpr void DaysToDateInCalendar(int32_t n, uint16_t* d, uint16_t* m, uint16_t* y) noexcept { DaysToDate(n, d, m, y); }

}  // namespace dfa
