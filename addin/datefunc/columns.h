// SPDX-License-Identifier: MIT
// The worksheet functions over whole columns of dates, for the hosts that hand over columns
// (numpy, Arrow, DuckDB): days counted from 1970-01-01 of the proleptic Gregorian calendar, as
// those engines store them, in, and the worksheet functions' results out, NaN where a date has
// no serial (outside 0000-01-01..65535-12-31, and 0001-01-01, which the add-in reads as
// 31 December of year 0). Each result equals the export's for that date's serial.
//
// A worksheet call reads tables; a column loop cannot load from a table per element and stay
// vectorised, so here the date comes in closed form: the year, month and day of a day count in
// a few multiplications and shifts, with no table and no branch (Neri and Schneider, "Euclidean
// affine functions and their application to calendar algorithms", 2022). Plain loops over
// spans, which the compiler vectorises.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>

#include "calendar.h"
#include "dfa.h"

namespace dfa::columns {

// Days from 1970-01-01 back to 1 March of year -400: shifted by one 400-year era, every date
// of the calendar counts from there in 32 unsigned bits. Everything here is 32-bit, so that a
// vector holds as many lanes as it can.
inline constexpr int32_t kMarchOfYearMinus400 = 719468 + kDaysPer400Years;
// The calendar's first and last day, and 0001-01-01, as days since 1970-01-01.
inline constexpr int32_t kFirstDay1970 = -719528, kLastDay1970 = 23217003, kYear1Day1970 = -719162;

// A date as the computational calendar holds it: its year from 1 March (of year -400 on, so the
// add-in's March year), and its day within that year scaled by 4 * 2939745 (1 March = 0), from
// which each function takes what it needs: the calendar year by one comparison, the month and
// day by one division more.
struct MarchDate {
    uint32_t nYear;
    uint32_t nScaledDay;
};
inline constexpr uint32_t kDayScale = 4 * 2939745;

// days is within kFirstDay1970..kLastDay1970.
constexpr MarchDate ToMarchDate(int32_t days) noexcept {
    const uint32_t n1 = 4 * static_cast<uint32_t>(days + kMarchOfYearMinus400) + 3;
    const uint32_t nCentury = n1 / kDaysPer400Years;
    const uint64_t p2 = uint64_t{2939745} * ((n1 % kDaysPer400Years) | 3);
    return {100 * nCentury + static_cast<uint32_t>(p2 >> 32), static_cast<uint32_t>(p2)};
}

// January and February, which end the March year, begin 306 days after 1 March.
constexpr uint32_t CalendarYear(MarchDate date) noexcept { return date.nYear - 400 + (date.nScaledDay >= 306 * kDayScale); }

// The month from March (3..14) and the day of the month (1..31).
struct MonthAndDay {
    uint32_t nMonth;
    uint32_t nDay;
};
constexpr MonthAndDay ToMonthAndDay(MarchDate date) noexcept {
    const uint32_t n3 = 2141 * (date.nScaledDay / kDayScale) + 197913;
    return {n3 >> 16, (n3 & 0xFFFF) / 2141 + 1};
}

constexpr bool IsLeap(uint32_t nYear) noexcept { return (nYear & (nYear % 25 != 0 ? 3 : 15)) == 0; }

// The add-in's day number of a date and its months key (MonthsKey, cycle.h).
constexpr int32_t DayNumber(int32_t days) noexcept {
    return days + (DateToDays(1, 1, 1970) + (days < kYear1Day1970));
}
constexpr int32_t MonthsKey(MarchDate date) noexcept {
    const MonthAndDay md = ToMonthAndDay(date);
    return static_cast<int32_t>(384 * date.nYear + 32 * (md.nMonth - 3) + md.nDay);
}

// The day number of the Monday of ISO week 1 of a calendar year, as the add-in counts it
// (remainders truncating toward zero, which year 0 keeps).
constexpr int32_t IsoWeek1Monday(int32_t nYear) noexcept {
    const int32_t y1 = nYear - 1;
    const int32_t nJan4 = 365 * y1 + y1 / 4 - y1 / 100 + y1 / 400 + 4;
    return nJan4 - (nJan4 - 1) % 7;
}

enum class OneDate { kIsLeapYear, kDaysInMonth, kDaysInYear, kWeeksInYear };
enum class Difference { kWeeks, kMonths, kYears };

// The kernel that computes an export over a column.
constexpr std::optional<OneDate> KernelOf(dfa_DateFunction_fn function) noexcept {
    if (function == QvDate_IsLeapYear) return OneDate::kIsLeapYear;
    if (function == QvDate_DaysInMonth) return OneDate::kDaysInMonth;
    if (function == QvDate_DaysInYear) return OneDate::kDaysInYear;
    if (function == QvDate_WeeksInYear) return OneDate::kWeeksInYear;
    return std::nullopt;
}
constexpr std::optional<Difference> KernelOf(dfa_DiffFunction_fn function) noexcept {
    if (function == QvDate_GetDiffWeeks) return Difference::kWeeks;
    if (function == QvDate_GetDiffMonths) return Difference::kMonths;
    if (function == QvDate_GetDiffYears) return Difference::kYears;
    return std::nullopt;
}

template <OneDate kFunction>
constexpr int32_t OneDateOf(int32_t days) noexcept {
    const MarchDate date = ToMarchDate(days);
    const uint32_t nYear = CalendarYear(date);
    const bool bLeap = IsLeap(nYear);
    if constexpr (kFunction == OneDate::kIsLeapYear) {
        return bLeap;
    } else if constexpr (kFunction == OneDate::kDaysInYear) {
        return 365 + bLeap;
    } else if constexpr (kFunction == OneDate::kDaysInMonth) {
        const uint32_t nMonth = ToMonthAndDay(date).nMonth, m = nMonth > 12 ? nMonth - 12 : nMonth;  // 1..12
        return static_cast<int32_t>(m == 2 ? 28 + bLeap : 30 + ((m + (m >> 3)) & 1));
    } else {
        // 53 weeks where 1 January is a Thursday (31 December before it a Wednesday), or a
        // Wednesday in a leap year (3 - 1 and 3 - 0: one unsigned comparison with the leap day).
        // That 31 December lies 60 days (61 in a leap year) before the March year's 1 March, or
        // 305 days after it in January and February; days count from 1 March of year -400, a
        // Wednesday.
        const uint32_t nMarchYearStart = static_cast<uint32_t>(days + kMarchOfYearMinus400) - date.nScaledDay / kDayScale;
        const bool bJanuaryOrFebruary = date.nScaledDay >= 306 * kDayScale;
        const uint32_t nLastDay = bJanuaryOrFebruary ? nMarchYearStart + 305 : nMarchYearStart - 60 - bLeap;
        return 52 + (3 - (nLastDay + 3) % 7 <= static_cast<uint32_t>(bLeap));
    }
}

// Both modes are computed and one is chosen, which keeps the loops free of branches.
template <Difference kFunction>
constexpr int32_t DifferenceOf(int32_t first, int32_t second, bool bIso) noexcept {
    int32_t nStandard, nIso;
    if constexpr (kFunction == Difference::kWeeks) {
        const int32_t n1 = DayNumber(first), n2 = DayNumber(second);
        const int32_t nMonday = IsoWeek1Monday(static_cast<int32_t>(CalendarYear(ToMarchDate(first))));
        nStandard = (n2 - n1) / 7;
        nIso = (n2 - nMonday) / 7 - (n1 - nMonday) / 7;
    } else {
        const MarchDate a = ToMarchDate(first), b = ToMarchDate(second);
        const int32_t k1 = MonthsKey(a), k2 = MonthsKey(b);
        if constexpr (kFunction == Difference::kMonths) {
            nStandard = (k2 - k1) / 32;
            nIso = k2 / 32 - k1 / 32;
        } else {
            nStandard = (k2 - k1) / 384;
            nIso = static_cast<int32_t>(CalendarYear(b)) - static_cast<int32_t>(CalendarYear(a));
        }
    }
    return bIso ? nIso : nStandard;
}

// Whether a day count has a serial, and the day the functions then read (the nearest of the
// calendar where it has none, so that every step stays defined).
constexpr bool HasSerial(int32_t days) noexcept {
    return (days >= kFirstDay1970) & (days <= kLastDay1970) & (days != kYear1Day1970);
}
constexpr int32_t InCalendar(int32_t days) noexcept {
    constexpr int32_t kFirst = kFirstDay1970, kLast = kLastDay1970;
    return days < kFirst ? kFirst : days > kLast ? kLast : days;
}

// A host's column loops, compiled for baseline x86-64, x86-64-v3 (AVX2) and x86-64-v4 (AVX-512)
// beside it, one chosen once per process (GCC's function multiversioning).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define DFA_COLUMN_CPU_LEVELS [[gnu::target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")]]
#else
#define DFA_COLUMN_CPU_LEVELS
#endif

inline constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
// No result, among the integers the functions give: the loops choose it in integers, then NaN for
// it as they write doubles, which compilers vectorise (with -fno-trapping-math) where a choice
// of doubles by a comparison of integers they do not.
inline constexpr int32_t kNoResult = std::numeric_limits<int32_t>::min();
constexpr double ResultOrMissing(int32_t nResult) noexcept { return nResult == kNoResult ? kMissing : nResult; }

// Results are written as doubles (NaN where there is none) or as int32 (kNoResult where there
// is none, for hosts that keep a validity mask).
template <typename Out>
constexpr Out Written(int32_t nResult) noexcept {
    if constexpr (std::is_same_v<Out, double>) {
        return ResultOrMissing(nResult);
    } else {
        static_assert(std::is_same_v<Out, int32_t>);
        return nResult;
    }
}

// A block of 64-bit day counts as 32-bit ones, those outside the calendar as a day outside it
// too: vectors of 64-bit integers lack much that 32-bit ones have (before AVX-512), so the
// functions then run on 32-bit lanes.
inline constexpr size_t kBlock = 1024;
constexpr int32_t kOutside = std::numeric_limits<int32_t>::min();
inline void Narrow(const int64_t* days, int32_t* narrow, size_t n) noexcept {
    for (size_t i = 0; i < n; ++i) {
        const int32_t nDays = static_cast<int32_t>(days[i]);
        const bool bInCalendar = (days[i] >= kFirstDay1970) & (days[i] <= kLastDay1970);
        narrow[i] = bInCalendar ? nDays : kOutside;
    }
}

// out[i] is the function of days[i].
template <OneDate kFunction, typename Out>
[[gnu::always_inline]] inline void OneDateColumn(const int32_t* days, Out* out, size_t n) noexcept {
    for (size_t i = 0; i < n; ++i) {
        const int32_t nResult = OneDateOf<kFunction>(InCalendar(days[i]));
        out[i] = Written<Out>(HasSerial(days[i]) ? nResult : kNoResult);
    }
}
template <OneDate kFunction, typename Out>
[[gnu::always_inline]] inline void OneDateColumn(const int64_t* days, Out* out, size_t n) noexcept {
    int32_t narrow[kBlock];
    for (size_t start = 0; start < n; start += kBlock) {
        const size_t m = n - start < kBlock ? n - start : kBlock;
        Narrow(days + start, narrow, m);
        OneDateColumn<kFunction>(narrow, out + start, m);
    }
}

// A mode selects ISO 8601 where it truncates to 1, and none where it is NaN. Read from its bits:
// a comparison of doubles would raise the invalid-operation flag for NaN, which hosts report.
inline constexpr uint64_t kOne = std::bit_cast<uint64_t>(1.0), kTwo = std::bit_cast<uint64_t>(2.0);
inline constexpr uint64_t kInfinity = std::bit_cast<uint64_t>(std::numeric_limits<double>::infinity());
constexpr bool IsIsoMode(double mode) noexcept { return std::bit_cast<uint64_t>(mode) - kOne < kTwo - kOne; }
constexpr bool IsMode(double mode) noexcept { return (std::bit_cast<uint64_t>(mode) & ~(uint64_t{1} << 63)) <= kInfinity; }

// One mode for the whole column: only that mode's count is computed.
template <Difference kFunction, bool kIso, typename Out>
[[gnu::always_inline]] inline void OneModeColumn(const int32_t* first, const int32_t* second, Out* out, size_t n) noexcept {
    for (size_t i = 0; i < n; ++i) {
        const int32_t nResult = DifferenceOf<kFunction>(InCalendar(first[i]), InCalendar(second[i]), kIso);
        const bool bFirst = HasSerial(first[i]), bSecond = HasSerial(second[i]);
        out[i] = Written<Out>((bFirst & bSecond) ? nResult : kNoResult);
    }
}

// out[i] is the function of first[i] and second[i] in mode[i]; a mode of one value for the whole
// column has its stride 0.
template <Difference kFunction, typename Out>
[[gnu::always_inline]] inline void DifferenceColumn(const int32_t* first, const int32_t* second, const double* mode,
                                                    ptrdiff_t modeStride, Out* out, size_t n) noexcept {
    if (modeStride == 0) {
        if (!IsMode(*mode)) {
            for (size_t i = 0; i < n; ++i) out[i] = Written<Out>(kNoResult);
        } else if (IsIsoMode(*mode)) {
            OneModeColumn<kFunction, true>(first, second, out, n);
        } else {
            OneModeColumn<kFunction, false>(first, second, out, n);
        }
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        const double m = mode[static_cast<ptrdiff_t>(i) * modeStride];
        const int32_t nResult = DifferenceOf<kFunction>(InCalendar(first[i]), InCalendar(second[i]), IsIsoMode(m));
        const bool bFirst = HasSerial(first[i]), bSecond = HasSerial(second[i]), bMode = IsMode(m);
        out[i] = Written<Out>((bFirst & bSecond & bMode) ? nResult : kNoResult);
    }
}
template <Difference kFunction, typename Out>
[[gnu::always_inline]] inline void DifferenceColumn(const int64_t* first, const int64_t* second, const double* mode,
                                                    ptrdiff_t modeStride, Out* out, size_t n) noexcept {
    int32_t narrowFirst[kBlock], narrowSecond[kBlock];
    for (size_t start = 0; start < n; start += kBlock) {
        const size_t m = n - start < kBlock ? n - start : kBlock;
        Narrow(first + start, narrowFirst, m);
        Narrow(second + start, narrowSecond, m);
        DifferenceColumn<kFunction>(narrowFirst, narrowSecond, mode + static_cast<ptrdiff_t>(start) * modeStride, modeStride,
                                    out + start, m);
    }
}

static_assert(DateToDays(1, 1, 0) - DateToDays(1, 1, 1970) == kFirstDay1970 + 1);
static_assert(DateToDays(31, 12, 65535) - DateToDays(1, 1, 1970) == kLastDay1970);
static_assert(DayNumber(kFirstDay1970) == kFirstDay && DayNumber(kLastDay1970) == kLastDay);
static_assert(DayNumber(kYear1Day1970 - 1) == 1 && DayNumber(kYear1Day1970 + 1) == 2);
static_assert(IsIsoMode(1.0) && IsIsoMode(1.9) && !IsIsoMode(2.0) && !IsIsoMode(0.999) && !IsIsoMode(-1.5));
static_assert(IsMode(-std::numeric_limits<double>::infinity()) && !IsMode(kMissing) && !IsMode(-kMissing));

}  // namespace dfa::columns
