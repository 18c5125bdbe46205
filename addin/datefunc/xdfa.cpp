// The date add-in: registration interface and the seven worksheet functions.
//
// This code runs inside the host's process. It allocates nothing, throws nothing, has no static
// constructors, and gives every input a host can pass a defined result: NaN, infinities and
// out-of-range serials are sanitised before any conversion to an integer.
#include <atomic>
#include <cstring>

#include "calendar.h"
#include "language.h"
#include "dfa.h"

namespace {

using namespace dfa;

// Relaxed atomics: hosts may call GetFunctionCount or SetLanguage while worksheet functions
// run on other threads. Both are constant-initialised, so loading runs no code.
constinit std::atomic<int32_t> nNullDate{0};  // 0 until the host's first GetFunctionCount
constinit std::atomic<uint16_t> _nLanguage{9};
static_assert(std::atomic<int32_t>::is_always_lock_free && std::atomic<uint16_t>::is_always_lock_free);

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

constexpr double kInt32Min = -2147483648.0;
constexpr double kInt32Max = 2147483647.0;

// A cell can hold anything: NaN counts as 0 and everything beyond the int32 range saturates,
// so no out-of-range double is ever converted to an integer.
constexpr double SanitiseSerial(double x) noexcept {
    if (x != x) return 0.0;
    return x < kInt32Min ? kInt32Min : x > kInt32Max ? kInt32Max : x;
}

constexpr int32_t TruncToInt32(double x) noexcept { return static_cast<int32_t>(SanitiseSerial(x)); }

// floor without libm: the truncation is one too high exactly for negative non-integers.
constexpr int32_t FloorToInt32(double x) noexcept {
    const double s = SanitiseSerial(x);
    const int32_t t = static_cast<int32_t>(s);
    return t - (static_cast<double>(t) > s);
}

constexpr int32_t SaturateToInt32(int64_t n) noexcept {
    return static_cast<int32_t>(n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : n);
}

// Each call reads the null date once, so that both dates of a difference are taken from the
// same null date even while another thread runs the handshake.
int32_t NullDate() noexcept { return nNullDate.load(std::memory_order_relaxed); }

int32_t AddNullDate(int32_t nSerial, int32_t nNull) noexcept {
    return SaturateToInt32(int64_t{nSerial} + nNull);
}

// The difference functions floor their dates; a missing date is day number 0 itself.
int32_t DiffDayNumber(const double* pDate, int32_t nNull) noexcept {
    return pDate ? AddNullDate(FloorToInt32(*pDate), nNull) : 0;
}

// The one-date functions truncate toward zero; a missing date is the null date.
int32_t SingleDayNumber(const double* pDate) noexcept {
    return AddNullDate(pDate ? TruncToInt32(*pDate) : 0, NullDate());
}

bool IsIsoMode(const double* pMode) noexcept { return pMode && TruncToInt32(*pMode) == 1; }

struct Date {
    uint16_t nDay, nMonth, nYear;
};

Date ToDate(int32_t nDays) noexcept {
    Date date{};
    DaysToDate(nDays, &date.nDay, &date.nMonth, &date.nYear);
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
    if (bIso) return nDiff;
    // Only the days of the month decide whether the last month is complete.
    if (nDays1 < nDays2 && d1.nDay > d2.nDay) return nDiff - 1;
    if (nDays1 > nDays2 && d1.nDay < d2.nDay) return nDiff + 1;
    return nDiff;
}

int32_t DiffYears(int32_t nDays1, int32_t nDays2, bool bIso) noexcept {
    if (bIso) return ToDate(nDays2).nYear - ToDate(nDays1).nYear;
    return DiffMonths(nDays1, nDays2, false) / 12;
}

int32_t WeeksInYear(uint16_t nYear) noexcept {
    // Years starting on a Thursday, and leap years starting on a Wednesday, have 53 ISO weeks.
    // Weekdays count from 0 = Monday; in year 0 they are negative and match neither.
    const int32_t nWeekday = (DateToDays(1, 1, nYear) - 1) % 7;
    return 52 + ((nWeekday == 3) | ((nWeekday == 2) & IsLeapYear(nYear)));
}

template <auto Diff>
void EvaluateDiff(double* pResult, const double* pDate1, const double* pDate2,
                  const double* pMode) noexcept {
    if (!pResult) return;
    const int32_t nNull = NullDate();
    const auto nDiff = Diff(DiffDayNumber(pDate1, nNull), DiffDayNumber(pDate2, nNull), IsIsoMode(pMode));
    *pResult = static_cast<double>(nDiff);
}

template <auto Of>
void EvaluateDate(double* pResult, const double* pDate) noexcept {
    if (!pResult) return;
    *pResult = static_cast<double>(Of(ToDate(SingleDayNumber(pDate))));
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
    EvaluateDate<[](Date d) { return IsLeapYear(d.nYear) ? 1 : 0; }>(pResult, pDate);
}

void QvDate_DaysInMonth(double* pResult, const double* pDate) {
    EvaluateDate<[](Date d) { return DaysInMonth(d.nMonth, d.nYear); }>(pResult, pDate);
}

void QvDate_DaysInYear(double* pResult, const double* pDate) {
    EvaluateDate<[](Date d) { return IsLeapYear(d.nYear) ? 366 : 365; }>(pResult, pDate);
}

void QvDate_WeeksInYear(double* pResult, const double* pDate) {
    EvaluateDate<[](Date d) { return WeeksInYear(d.nYear); }>(pResult, pDate);
}

}  // extern "C"
