// SPDX-License-Identifier: MIT
// The add-in's worksheet functions written out step by step from their rules, with the
// step-by-step calendar: the reference that the add-in's fast call paths must match bit for bit
// (and the "before" of the benchmark). It exports GetFunctionCount and the seven worksheet
// functions under the add-in's names; nothing here is tuned.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>

#include "step_calendar.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kFirstDay = -364, kLastDay = 23936166;
std::atomic<int32_t> nNullDate{0};

struct Date {
    uint16_t d, m, y;
};

// Out-of-calendar day numbers read as the calendar's first or last day.
Date ToDate(int64_t n) {
    Date date{};
    step::DaysToDate(static_cast<int32_t>(std::clamp<int64_t>(n, kFirstDay, kLastDay)), date.d, date.m, date.y);
    return date;
}

// NaN counts as 0; the whole days, plus the null date, saturate at the int32 limits.
int64_t DayNumber(double x, bool floorIt, int32_t nNull) {
    if (std::isnan(x)) x = 0;
    const double whole = std::clamp(floorIt ? std::floor(x) : std::trunc(x), -2147483648.0, 2147483647.0);
    return std::clamp<int64_t>(static_cast<int64_t>(whole) + nNull, INT32_MIN, INT32_MAX);
}

// A missing date is day number 0 in the differences.
int64_t DiffDay(const double* p, int32_t nNull) { return p ? DayNumber(*p, true, nNull) : 0; }

// A one-date function's day number within the calendar (a missing date is serial 0).
int64_t OneDateDay(const double* p) {
    return std::clamp<int64_t>(DayNumber(p ? *p : 0.0, false, nNullDate.load()), kFirstDay, kLastDay);
}

bool IsIso(const double* pMode) {
    if (!pMode || std::isnan(*pMode)) return false;
    return std::trunc(*pMode) == 1.0;
}

int64_t Weekday(int64_t n) { return (n - 1) % 7; }  // 0 = Monday; negative in year 0

// The months difference in its rule's steps: calendar months, then one less (or more) where the
// last month is not complete, judged by the days of the month alone.
int64_t Months(int64_t n1, int64_t n2, bool iso) {
    const Date a = ToDate(n1), b = ToDate(n2);
    const int64_t diff = (b.m - a.m) + 12 * (int64_t{b.y} - a.y);
    if (iso || n1 == n2) return diff;
    if (n1 < n2 && a.d > b.d) return diff - 1;
    if (n1 > n2 && a.d < b.d) return diff + 1;
    return diff;
}

}  // namespace

EXPORT void GetFunctionCount(uint16_t* pnCount) {
    nNullDate = step::DateToDays(30, 12, 1899);
    if (pnCount) *pnCount = 7;
}

EXPORT void QvDate_GetDiffWeeks(double* pResult, const double* p1, const double* p2, const double* pMode) {
    if (!pResult) return;
    const int32_t nNull = nNullDate.load();
    const int64_t n1 = DiffDay(p1, nNull), n2 = DiffDay(p2, nNull);
    if (!IsIso(pMode)) {
        *pResult = static_cast<double>((n2 - n1) / 7);
        return;
    }
    const int64_t jan4 = step::DateToDays(4, 1, ToDate(n1).y);
    const int64_t monday = jan4 - Weekday(jan4);
    *pResult = static_cast<double>((n2 - monday) / 7 - (n1 - monday) / 7);
}

EXPORT void QvDate_GetDiffMonths(double* pResult, const double* p1, const double* p2, const double* pMode) {
    if (!pResult) return;
    const int32_t nNull = nNullDate.load();
    *pResult = static_cast<double>(Months(DiffDay(p1, nNull), DiffDay(p2, nNull), IsIso(pMode)));
}

EXPORT void QvDate_GetDiffYears(double* pResult, const double* p1, const double* p2, const double* pMode) {
    if (!pResult) return;
    const int32_t nNull = nNullDate.load();
    const int64_t n1 = DiffDay(p1, nNull), n2 = DiffDay(p2, nNull);
    if (IsIso(pMode))
        *pResult = ToDate(n2).y - ToDate(n1).y;
    else
        *pResult = static_cast<double>(Months(n1, n2, false) / 12);
}

EXPORT void QvDate_IsLeapYear(double* pResult, const double* pDate) {
    if (pResult) *pResult = step::IsLeap(ToDate(OneDateDay(pDate)).y) ? 1.0 : 0.0;
}

EXPORT void QvDate_DaysInMonth(double* pResult, const double* pDate) {
    if (!pResult) return;
    const Date date = ToDate(OneDateDay(pDate));
    *pResult = step::MonthLength(date.m, date.y);
}

EXPORT void QvDate_DaysInYear(double* pResult, const double* pDate) {
    if (pResult) *pResult = step::IsLeap(ToDate(OneDateDay(pDate)).y) ? 366.0 : 365.0;
}

EXPORT void QvDate_WeeksInYear(double* pResult, const double* pDate) {
    if (!pResult) return;
    const uint16_t y = ToDate(OneDateDay(pDate)).y;
    const int64_t w = Weekday(step::DateToDays(1, 1, y));
    *pResult = w == 3 || (w == 2 && step::IsLeap(y)) ? 53.0 : 52.0;
}
