// SPDX-License-Identifier: MIT
// The date add-in: registration interface and the seven worksheet functions.
//
// This code runs inside the host's process. It allocates nothing, throws nothing, has no static
// constructors, and gives every input a host can pass a defined result: NaN, infinities and
// out-of-range serials are sanitised before any conversion to an integer.
#include <algorithm>
#include <atomic>
#include <cstring>
#if defined(__SSE2_MATH__)
#include <emmintrin.h>
#endif

#ifdef DFA_CALENDAR_HEADER
#include DFA_CALENDAR_HEADER  // the benchmark's build with the step-by-step calendar
#else
#include "calendar.h"
#endif
#include "language.h"
#include "dfa.h"

namespace {

using namespace dfa;

// Relaxed atomics: hosts may call GetFunctionCount or SetLanguage while worksheet functions
// run on other threads. Both are constant-initialised, so loading runs no code.
// The language is a 16-bit value held in 32 bits: not every target has 16-bit atomics. Only
// relaxed loads and stores are used, which every target does with plain instructions (32-bit
// Arm v5 lacks lock-free read-modify-writes, hence "sometimes" lock-free there); that no
// atomics library is needed is checked on the built library.
constinit std::atomic<int32_t> nNullDate{0};  // 0 until the host's first GetFunctionCount
constinit std::atomic<uint32_t> _nLanguage{9};
static_assert(ATOMIC_INT_LOCK_FREE != 0 && sizeof(int) == 4);

// ---------------------------------------------------------------------------------------------
// Registration

constexpr size_t kTextBufferSize = DFA_TEXT_BUFFER_SIZE;

// Every text of this add-in is empty, in every language.
const char* getText(uint16_t /*nTextId*/) noexcept { return ""; }

struct ParamTexts {
    uint16_t nName;  // text id, 0 = none
    uint16_t nDescription;
};

struct FunctionEntry {
    const char* pEntryName;
    uint16_t nParamCount;  // the result pointer included
    uint16_t nNameText;
    ParamTexts aParams[4];  // [0] describes the function itself; {0, 0} = no such parameter
};

constexpr FunctionEntry aFunctions[] = {
    {"QvDate_GetDiffWeeks", 4, 6, {{0, 7}, {1, 8}, {2, 9}, {3, 10}}},
    {"QvDate_GetDiffMonths", 4, 11, {{0, 12}, {1, 13}, {2, 14}, {3, 15}}},
    {"QvDate_GetDiffYears", 4, 16, {{0, 17}, {1, 18}, {2, 19}, {3, 20}}},
    {"QvDate_IsLeapYear", 2, 21, {{0, 22}, {4, 5}}},
    {"QvDate_DaysInMonth", 2, 23, {{0, 24}, {4, 5}}},
    {"QvDate_DaysInYear", 2, 25, {{0, 26}, {4, 5}}},
    {"QvDate_WeeksInYear", 2, 27, {{0, 28}, {4, 5}}},
};
constexpr uint16_t kFunctionCount = sizeof aFunctions / sizeof aFunctions[0];
static_assert(kFunctionCount == DFA_FUNCTION_COUNT);

// Copies at most 255 bytes, zero-fills the rest of the 256-byte buffer and terminates it.
void CopyText(char* pBuffer, const char* pText) noexcept {
    if (!pBuffer) return;
    strncpy(pBuffer, pText, kTextBufferSize);
    pBuffer[kTextBufferSize - 1] = '\0';
}

void ClearText(char* pBuffer) noexcept {
    if (pBuffer) pBuffer[0] = '\0';
}

// The function-table row for an index the host passed, or null when it names no function.
const FunctionEntry* FindFunction(const uint16_t* pnIndex) noexcept {
    return pnIndex && *pnIndex < kFunctionCount ? &aFunctions[*pnIndex] : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Serial dates to day numbers
//
// A cell can hold anything. NaN counts as 0, and every serial is clamped to whole-number bounds
// before it is converted to an integer, so no out-of-range double is ever converted. Clamping to
// whole numbers commutes with truncation and flooring, so clamping first gives the day number
// that saturating afterwards would.

// NaN as 0, then x clamped to [lo, hi]; straight-line SSE code where the target has it.
inline double ClampSerial(double x, double lo, double hi) noexcept {
#if defined(__SSE2_MATH__)
    __m128d v = _mm_set_sd(x);
    v = _mm_and_pd(v, _mm_cmpord_sd(v, v));
    return _mm_cvtsd_f64(_mm_min_sd(_mm_max_sd(v, _mm_set_sd(lo)), _mm_set_sd(hi)));
#else
    if (x != x) return 0.0;
    return x < lo ? lo : x > hi ? hi : x;
#endif
}

// Each call reads the null date once, so that both dates of a difference are taken from the
// same null date even while another thread runs the handshake.
int32_t NullDate() noexcept { return nNullDate.load(std::memory_order_relaxed); }

// Day numbers of the difference functions: floor of the serial plus the null date, saturated
// to int32. A missing date is day number 0 itself.
class DiffDayNumbers {
public:
    explicit DiffDayNumbers(int32_t nNull) noexcept
        : m_nNull(nNull),
          m_fLow(static_cast<double>(std::max<int64_t>(INT32_MIN, int64_t{INT32_MIN} - nNull))),
          m_fHigh(static_cast<double>(std::min<int64_t>(INT32_MAX, int64_t{INT32_MAX} - nNull))) {}

    int32_t operator()(const double* pDate) const noexcept {
        if (!pDate) return 0;
        const double s = ClampSerial(*pDate, m_fLow, m_fHigh);
        const int32_t t = static_cast<int32_t>(s);
        // Truncation is one too high exactly for negative non-integers; no libm floor needed.
        return t - (static_cast<double>(t) > s) + m_nNull;
    }

private:
    int32_t m_nNull;
    double m_fLow, m_fHigh;  // serials whose day numbers stay within int32
};

// Day number of a one-date function: the serial truncated toward zero plus the null date. Only
// its date matters, and the conversion would clamp it to the calendar, so it is clamped there
// at once. A missing date is the null date.
int32_t SingleDayNumber(const double* pDate) noexcept {
    const int32_t nNull = NullDate();
    const double fLow = kFirstDay - nNull, fHigh = kLastDay - nNull;
    return static_cast<int32_t>(ClampSerial(pDate ? *pDate : 0.0, fLow, fHigh)) + nNull;
}

// The mode selects ISO 8601 when it truncates to 1; NaN compares false.
bool IsIsoMode(const double* pMode) noexcept { return pMode && ((*pMode >= 1.0) & (*pMode < 2.0)); }

struct Date {
    uint16_t nDay, nMonth, nYear;
};

Date ToDate(int32_t nDays) noexcept {
    Date date{};
    DaysToDate(nDays, &date.nDay, &date.nMonth, &date.nYear);
    return date;
}

// For day numbers that SingleDayNumber has already put within the calendar.
Date ToDateInCalendar(int32_t nDays) noexcept {
    Date date{};
    DaysToDateInCalendar(nDays, &date.nDay, &date.nMonth, &date.nYear);
    return date;
}

// ---------------------------------------------------------------------------------------------
// Worksheet arithmetic. Day numbers are int32 but their differences are not: 64-bit
// intermediates give the formula's exact value for every pair.

int64_t DiffWeeks(int32_t nDays1, int32_t nDays2, bool bIso) noexcept {
    if (!bIso) return (int64_t{nDays2} - nDays1) / 7;
    // Weeks are counted from the Monday of ISO week 1 of the first date's year; each quotient
    // truncates toward zero on its own.
    const int32_t nJan4 = DateToDays(4, 1, ToDate(nDays1).nYear);
    const int32_t nMonday = nJan4 - (nJan4 - 1) % 7;
    return (int64_t{nDays2} - nMonday) / 7 - (int64_t{nDays1} - nMonday) / 7;
}

int32_t DiffMonths(int32_t nDays1, int32_t nDays2, bool bIso) noexcept {
    const Date d1 = ToDate(nDays1), d2 = ToDate(nDays2);
    const int32_t nDiff = (d2.nMonth - d1.nMonth) + 12 * (d2.nYear - d1.nYear);
    // Only the days of the month decide whether the last month is complete. Bitwise operators:
    // on random pairs each comparison is a coin toss that a branch would mispredict.
    const int32_t nIncomplete = ((nDays1 < nDays2) & (d1.nDay > d2.nDay)) - ((nDays1 > nDays2) & (d1.nDay < d2.nDay));
    return bIso ? nDiff : nDiff - nIncomplete;
}

int32_t DiffYears(int32_t nDays1, int32_t nDays2, bool bIso) noexcept {
    if (bIso) return ToDate(nDays2).nYear - ToDate(nDays1).nYear;
    return DiffMonths(nDays1, nDays2, false) / 12;
}

constexpr int32_t WeeksInYearFromWeekday(uint16_t nYear) noexcept {
    // Years starting on a Thursday, and leap years starting on a Wednesday, have 53 ISO weeks.
    // Weekdays count from 0 = Monday; in year 0 they are negative and match neither.
    const int32_t nWeekday = (DateToDays(1, 1, nYear) - 1) % 7;
    return 52 + ((nWeekday == 3) | ((nWeekday == 2) & IsLeapYear(nYear)));
}

// Weekdays repeat every 400 years (146097 days are 20871 weeks), so one cycle of counts serves
// every year: a lookup instead of a day count and a division on each call.
struct WeeksInCycle {
    uint8_t aWeeks[400];
    constexpr WeeksInCycle() : aWeeks{} {
        for (uint16_t y = 0; y < 400; ++y) aWeeks[y] = static_cast<uint8_t>(WeeksInYearFromWeekday(y));
    }
};
constexpr WeeksInCycle aWeeksInCycle;

constexpr int32_t WeeksInYear(uint16_t nYear) noexcept { return aWeeksInCycle.aWeeks[nYear % 400]; }

constexpr bool TableMatchesWeekdays() {
    for (uint32_t y = 0; y <= 65535; ++y)
        if (WeeksInYear(static_cast<uint16_t>(y)) != WeeksInYearFromWeekday(static_cast<uint16_t>(y))) return false;
    return true;
}
static_assert(TableMatchesWeekdays());

template <auto Diff>
void EvaluateDiff(double* pResult, const double* pDate1, const double* pDate2,
                  const double* pMode) noexcept {
    if (!pResult) return;
    const DiffDayNumbers dayNumber(NullDate());
    const auto nDiff = Diff(dayNumber(pDate1), dayNumber(pDate2), IsIsoMode(pMode));
    *pResult = static_cast<double>(nDiff);
}

template <auto Of>
void EvaluateDate(double* pResult, const double* pDate) noexcept {
    if (!pResult) return;
    *pResult = static_cast<double>(Of(ToDateInCalendar(SingleDayNumber(pDate))));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Exports

extern "C" {

void GetFunctionCount(uint16_t* pnCount) {
    nNullDate.store(DateToDays(30, 12, 1899), std::memory_order_relaxed);
    if (pnCount) *pnCount = kFunctionCount;
}

void GetFunctionData(const uint16_t* pnIndex, char* pEntryName, uint16_t* pnParamCount,
                     int32_t* pParamTypes, char* pNameText) {
    const FunctionEntry* pEntry = FindFunction(pnIndex);
    if (!pEntry) {
        if (pnParamCount) *pnParamCount = 0;
        ClearText(pEntryName);
        ClearText(pNameText);
        return;
    }
    CopyText(pNameText, getText(pEntry->nNameText));
    CopyText(pEntryName, pEntry->pEntryName);
    if (pParamTypes)
        for (uint16_t i = 0; i < pEntry->nParamCount; ++i) pParamTypes[i] = DFA_PARAM_DOUBLE_PTR;
    if (pnParamCount) *pnParamCount = pEntry->nParamCount;
}

void GetParameterDescription(const uint16_t* pnIndex, const uint16_t* pnParameter, char* pName,
                             char* pDescription) {
    ClearText(pName);
    ClearText(pDescription);
    const FunctionEntry* pEntry = FindFunction(pnIndex);
    if (!pEntry || !pnParameter || *pnParameter >= 4) return;
    const ParamTexts& texts = pEntry->aParams[*pnParameter];
    if (texts.nName) CopyText(pName, getText(texts.nName));
    if (texts.nDescription) CopyText(pDescription, getText(texts.nDescription));
}

void SetLanguage(const uint16_t* pnLanguage) {
    if (pnLanguage) _nLanguage.store(NormalizeLanguage(*pnLanguage), std::memory_order_relaxed);
}

void QvDate_GetDiffWeeks(double* pResult, const double* pDate1, const double* pDate2,
                         const double* pMode) {
    EvaluateDiff<DiffWeeks>(pResult, pDate1, pDate2, pMode);
}

void QvDate_GetDiffMonths(double* pResult, const double* pDate1, const double* pDate2,
                          const double* pMode) {
    EvaluateDiff<DiffMonths>(pResult, pDate1, pDate2, pMode);
}

void QvDate_GetDiffYears(double* pResult, const double* pDate1, const double* pDate2,
                         const double* pMode) {
    EvaluateDiff<DiffYears>(pResult, pDate1, pDate2, pMode);
}

void QvDate_IsLeapYear(double* pResult, const double* pDate) {
    EvaluateDate<[](Date d) { return int{IsLeapYear(d.nYear)}; }>(pResult, pDate);
}

void QvDate_DaysInMonth(double* pResult, const double* pDate) {
    EvaluateDate<[](Date d) { return DaysInMonth(d.nMonth, d.nYear); }>(pResult, pDate);
}

void QvDate_DaysInYear(double* pResult, const double* pDate) {
    EvaluateDate<[](Date d) { return 365 + IsLeapYear(d.nYear); }>(pResult, pDate);
}

void QvDate_WeeksInYear(double* pResult, const double* pDate) {
    EvaluateDate<[](Date d) { return WeeksInYear(d.nYear); }>(pResult, pDate);
}

}  // extern "C"
