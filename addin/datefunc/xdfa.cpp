// SPDX-License-Identifier: MIT
// The date add-in: registration interface and the seven worksheet functions.
//
// This code runs inside the host's process. It allocates nothing, throws nothing, has no static
// constructors, and gives every input a host can pass a defined result: NaN, infinities and
// out-of-range serials are sanitised before any conversion to an integer.
//
// Every worksheet call is a chain of dependent steps (read the state and the serial, clamp,
// convert, find the year, look up), so the call paths keep that chain short: bounds are
// precomputed per state of the handshake, the year comes from two divisions by constants, and
// whatever depends on the year alone is read from tables over one 400-year cycle.
#include <atomic>
#include <cstring>

#include "calendar.h"
#include "cycle.h"
#include "language.h"
#include "serial_reading.h"
#include "dfa.h"

namespace {

using namespace dfa;

// The null date, and the serial bounds that go with it, for each state of the handshake: a call
// reads them with one load of a pointer that GetFunctionCount switches (pCallState). Whole-number bounds,
// so that clamping commutes with truncation and flooring.
struct CallState {
    int32_t nNullDate;    // the day number of serial 0
    double fCalendarLow;  // serials whose whole days, plus the null date, stay within the calendar
    double fCalendarHigh;
    double fInt32Low;     // serials whose floor, plus the null date, stays within int32
    double fInt32High;
    double fMissingDate;  // the serial of day number 0, which a missing date of a difference names
};

constexpr CallState MakeCallState(int32_t nNull) {
    const int64_t nLow = int64_t{INT32_MIN} - nNull, nHigh = int64_t{INT32_MAX} - nNull;
    return {nNull,
            static_cast<double>(kFirstDay - nNull),
            static_cast<double>(kLastDay - nNull),
            static_cast<double>(nLow < INT32_MIN ? INT32_MIN : nLow),
            static_cast<double>(nHigh > INT32_MAX ? INT32_MAX : nHigh),
            static_cast<double>(-nNull)};
}

// Serial 0 is day number 0 (30 December of year 0) until the host's first GetFunctionCount.
constexpr CallState kBeforeHandshake = MakeCallState(0);
constexpr CallState kAfterHandshake = MakeCallState(kNullDate);

// Relaxed atomics: hosts may call GetFunctionCount or SetLanguage while worksheet functions
// run on other threads. Both are constant-initialised, so loading runs no code.
// The language is a 16-bit value held in 32 bits: not every target has 16-bit atomics. Only
// relaxed loads and stores are used, which every target does with plain instructions (32-bit
// Arm v5 lacks lock-free read-modify-writes, hence "sometimes" lock-free there); that no
// atomics library is needed is checked on the built library.
constinit std::atomic<const CallState*> pCallState{&kBeforeHandshake};
constinit std::atomic<uint32_t> _nLanguage{9};
static_assert(ATOMIC_INT_LOCK_FREE != 0 && ATOMIC_POINTER_LOCK_FREE != 0 && sizeof(int) == 4);

// Each call reads the state once, so that both dates of a difference are taken from the same
// null date even while another thread runs the handshake.
const CallState& State() noexcept { return *pCallState.load(std::memory_order_relaxed); }

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
    ParamTexts aParams[DFA_MAX_PARAMETERS];  // [0] describes the function itself; {0, 0} = none
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

// Day number of a one-date function: the serial truncated toward zero plus the null date. Only
// its date matters, and the conversion would clamp it to the calendar, so it is clamped there
// at once. A missing date is serial 0, the null date.
int32_t SingleDay(const double* pDate, const CallState& s) noexcept {
    return TruncateClamped(pDate ? *pDate : 0.0, s.fCalendarLow, s.fCalendarHigh) + s.nNullDate;
}

// Day numbers of the difference functions: the floor of the serial plus the null date, saturated
// to int32; a missing date is day number 0 itself. The months and years differences use their
// dates alone, and get the day clamped to the calendar at once.
int32_t DiffDayNumber(const double* pDate, const CallState& s) noexcept {
    return pDate ? FloorClamped(*pDate, s.fInt32Low, s.fInt32High) + s.nNullDate : 0;
}

int32_t DiffDayInCalendar(const double* pDate, const CallState& s) noexcept {
    return FloorClamped(pDate ? *pDate : s.fMissingDate, s.fCalendarLow, s.fCalendarHigh) + s.nNullDate;
}

// The mode selects ISO 8601 when it truncates to 1; NaN compares false.
bool IsIsoMode(const double* pMode) noexcept { return pMode && ((*pMode >= 1.0) & (*pMode < 2.0)); }

// ---------------------------------------------------------------------------------------------
// Worksheet arithmetic

// The functions of the year alone read their result from the year's row of the cycle.
void YearResult(double* pResult, const double* pDate, const double (&aResults)[kLastRow + 1]) noexcept {
    if (pResult) *pResult = aResults[CycleRowOfDay(SingleDay(pDate, State()))];
}

void DaysInMonthResult(double* pResult, const double* pDate) noexcept {
    if (pResult) *pResult = DaysInMonthOfDay(SingleDay(pDate, State()));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Exports

extern "C" {

void GetFunctionCount(uint16_t* pnCount) {
    pCallState.store(&kAfterHandshake, std::memory_order_relaxed);
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
    if (!pEntry || !pnParameter || *pnParameter >= DFA_MAX_PARAMETERS) return;
    const ParamTexts& texts = pEntry->aParams[*pnParameter];
    if (texts.nName) CopyText(pName, getText(texts.nName));
    if (texts.nDescription) CopyText(pDescription, getText(texts.nDescription));
}

void SetLanguage(const uint16_t* pnLanguage) {
    if (pnLanguage) _nLanguage.store(NormalizeLanguage(*pnLanguage), std::memory_order_relaxed);
}

void QvDate_IsLeapYear(double* pResult, const double* pDate) { YearResult(pResult, pDate, aCycle.aLeapYear); }

void QvDate_DaysInMonth(double* pResult, const double* pDate) { DaysInMonthResult(pResult, pDate); }

void QvDate_DaysInYear(double* pResult, const double* pDate) { YearResult(pResult, pDate, aCycle.aDaysInYear); }

void QvDate_WeeksInYear(double* pResult, const double* pDate) { YearResult(pResult, pDate, aCycle.aWeeksInYear); }

// Day numbers are int32 but their differences are not: 64-bit intermediates give the formula's
// exact value for every pair.
void QvDate_GetDiffWeeks(double* pResult, const double* pDate1, const double* pDate2, const double* pMode) {
    if (!pResult) return;
    const CallState& s = State();
    const int64_t n1 = DiffDayNumber(pDate1, s), n2 = DiffDayNumber(pDate2, s);
    if (!IsIsoMode(pMode)) {
        *pResult = static_cast<double>((n2 - n1) / 7);
        return;
    }
    // Weeks are counted from the Monday of ISO week 1 of the first date's year; each quotient
    // truncates toward zero on its own.
    const int64_t nMonday = IsoWeek1MondayOfDay(ClampToCalendar(n1));
    *pResult = static_cast<double>((n2 - nMonday) / 7 - (n1 - nMonday) / 7);
}

void QvDate_GetDiffMonths(double* pResult, const double* pDate1, const double* pDate2, const double* pMode) {
    if (!pResult) return;
    const CallState& s = State();
    const int32_t k1 = MonthsKey(DiffDayInCalendar(pDate1, s)), k2 = MonthsKey(DiffDayInCalendar(pDate2, s));
    *pResult = IsIsoMode(pMode) ? k2 / 32 - k1 / 32 : (k2 - k1) / 32;
}

void QvDate_GetDiffYears(double* pResult, const double* pDate1, const double* pDate2, const double* pMode) {
    if (!pResult) return;
    const CallState& s = State();
    const int32_t n1 = DiffDayInCalendar(pDate1, s), n2 = DiffDayInCalendar(pDate2, s);
    *pResult = IsIsoMode(pMode) ? YearOfDay(n2) - YearOfDay(n1) : (MonthsKey(n2) - MonthsKey(n1)) / 384;
}

}  // extern "C"
