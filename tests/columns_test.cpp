// SPDX-License-Identifier: MIT
// The column kernels against the add-in's exports, called as a host calls them on each date's
// serial: every day of the calendar (and past both ends) for the one-date functions, in int32
// and int64 columns; for the differences random pairs over the calendar and every month end,
// 29 February and ISO year end of a 400-year cycle against its neighbours, in every mode.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <random>
#include <vector>

#include "addin_serial.h"
#include "columns.h"
#include "loaded_addin.h"

namespace {

using namespace dfa::columns;
using dfa_test::LoadedAddin;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Each CPU level the hosts' loops are compiled for that this machine runs: baseline, and with GCC
// on x86-64 x86-64-v3 and v4 (the loops vectorised as the hosts vectorise them).
struct Baseline {
    template <OneDate kFunction, typename Day>
    static void OneDates(const Day* days, double* out, size_t n) { OneDateColumn<kFunction>(days, out, n); }
    template <Difference kFunction, typename Day>
    static void Differences(const Day* a, const Day* b, const double* mode, ptrdiff_t modeStride, double* out, size_t n) {
        DifferenceColumn<kFunction>(a, b, mode, modeStride, out, n);
    }
    static bool Runs() { return true; }
};
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
// A level: the loops compiled for TARGET, run where the CPU has what RUNS asks.
#define DFA_CPU_LEVEL(Name, kTarget, runs)                                                                     \
    struct Name {                                                                                              \
        template <OneDate kFunction, typename Day>                                                             \
        [[gnu::target(kTarget)]] static void OneDates(const Day* days, double* out, size_t n) {                \
            OneDateColumn<kFunction>(days, out, n);                                                            \
        }                                                                                                      \
        template <Difference kFunction, typename Day>                                                          \
        [[gnu::target(kTarget)]] static void Differences(const Day* a, const Day* b, const double* mode,       \
                                                        ptrdiff_t modeStride, double* out, size_t n) {         \
            DifferenceColumn<kFunction>(a, b, mode, modeStride, out, n);                                       \
        }                                                                                                      \
        static bool Runs() { return runs; }                                                                    \
    };
DFA_CPU_LEVEL(X86_64_v3, "arch=x86-64-v3", __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
DFA_CPU_LEVEL(X86_64_v4, "arch=x86-64-v4",
              __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl"))
using Levels = ::testing::Types<Baseline, X86_64_v3, X86_64_v4>;
#else
using Levels = ::testing::Types<Baseline>;
#endif

double SerialOf(int64_t days) { return dfa_host::AddinSerialOfDays(days).value_or(kNaN); }

bool Same(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b) || (a != a && b != b); }

template <typename Level, OneDate kFunction, typename Day>
void CompareOneDate(const LoadedAddin& addin, const char* entry) {
    const auto fn = addin.get<dfa_DateFunction_fn>(entry);
    constexpr int64_t kChunk = 1 << 16;
    std::vector<Day> days(kChunk);
    std::vector<double> out(kChunk);
    int failures = 0;
    for (int64_t first = kFirstDay1970 - 3; first <= kLastDay1970 + 3 && failures < 10; first += kChunk) {
        for (int64_t i = 0; i < kChunk; ++i) days[static_cast<size_t>(i)] = static_cast<Day>(first + i);
        Level::template OneDates<kFunction>(days.data(), out.data(), days.size());
        for (size_t i = 0; i < days.size() && failures < 10; ++i) {
            const double serial = SerialOf(days[i]);
            double expected = kNaN;
            if (serial == serial) fn(&expected, &serial);
            if (!Same(out[i], expected))
                ADD_FAILURE() << entry << " of day " << int64_t{days[i]} << ": " << out[i] << ", the export " << expected
                              << (++failures, "");
        }
    }
}

template <typename Level>
class ColumnsSweep : public ::testing::Test {};
TYPED_TEST_SUITE(ColumnsSweep, Levels);
template <typename Level>
class Columns : public ::testing::Test {};
TYPED_TEST_SUITE(Columns, Levels);

TYPED_TEST(ColumnsSweep, OneDateFunctionsEqualTheExportsOnEveryDay) {
    if (!TypeParam::Runs()) GTEST_SKIP() << "this machine lacks the CPU level";
    LoadedAddin addin;
    addin.setNullDate();
    CompareOneDate<TypeParam, OneDate::kIsLeapYear, int32_t>(addin, "QvDate_IsLeapYear");
    CompareOneDate<TypeParam, OneDate::kDaysInMonth, int32_t>(addin, "QvDate_DaysInMonth");
    CompareOneDate<TypeParam, OneDate::kDaysInYear, int64_t>(addin, "QvDate_DaysInYear");
    CompareOneDate<TypeParam, OneDate::kWeeksInYear, int64_t>(addin, "QvDate_WeeksInYear");
}

// Days where a difference changes: each month's last day, 29 February and the days around
// 1 January (ISO week 53 or week 1) of years 1600 to 2000, year 0 and its neighbour, the ends.
std::vector<int64_t> BoundaryDays() {
    std::vector<int64_t> days = {kFirstDay1970, kFirstDay1970 + 1, kYear1Day1970 - 1, kYear1Day1970 + 1,
                                 kYear1Day1970 + 2, kLastDay1970 - 1, kLastDay1970};
    for (int64_t y = 1600; y <= 2000; ++y)
        for (unsigned m = 1; m <= 12; ++m) {
            const int64_t first = dfa_host::DaysFromCivil(y, m, 1);
            days.push_back(first - 1);
            if (m == 1)
                for (int d = -4; d <= 4; ++d) days.push_back(first + d);
        }
    return days;
}

// Each mode as one value for the column, then a column of them, a row's mode in turn.
template <typename Level, Difference kFunction>
void CompareDifference(const LoadedAddin& addin, const char* entry, const std::vector<int64_t>& first,
                       const std::vector<int64_t>& second) {
    const auto fn = addin.get<dfa_DiffFunction_fn>(entry);
    constexpr double kModes[] = {0.0, 1.0, 1.9, 2.0, -1.0, kNaN};
    constexpr size_t kKinds = std::size(kModes);
    std::vector<double> out(first.size()), modeColumn(first.size());
    for (size_t i = 0; i < modeColumn.size(); ++i) modeColumn[i] = kModes[i % kKinds];
    int failures = 0;
    for (size_t kind = 0; kind <= kKinds; ++kind) {
        const bool bColumn = kind == kKinds;
        Level::template Differences<kFunction>(first.data(), second.data(), bColumn ? modeColumn.data() : &kModes[kind],
                                               bColumn ? 1 : 0, out.data(), out.size());
        for (size_t i = 0; i < out.size() && failures < 10; ++i) {
            const double a = SerialOf(first[i]), b = SerialOf(second[i]), mode = bColumn ? modeColumn[i] : kModes[kind];
            double expected = kNaN;
            if (a == a && b == b && mode == mode) fn(&expected, &a, &b, &mode);
            if (!Same(out[i], expected))
                ADD_FAILURE() << entry << "(" << first[i] << ", " << second[i] << ", " << mode << (bColumn ? " in a column" : "")
                              << "): " << out[i] << ", the export " << expected << (++failures, "");
        }
    }
}

// DFA_COLUMN_PAIRS sets the count of random pairs (300,000 by default; the long run takes
// billions), drawn a million at a time.
TYPED_TEST(Columns, DifferencesEqualTheExports) {
    if (!TypeParam::Runs()) GTEST_SKIP() << "this machine lacks the CPU level";
    LoadedAddin addin;
    addin.setNullDate();
    auto compare = [&addin](const std::vector<int64_t>& first, const std::vector<int64_t>& second) {
        CompareDifference<TypeParam, Difference::kWeeks>(addin, "QvDate_GetDiffWeeks", first, second);
        CompareDifference<TypeParam, Difference::kMonths>(addin, "QvDate_GetDiffMonths", first, second);
        CompareDifference<TypeParam, Difference::kYears>(addin, "QvDate_GetDiffYears", first, second);
    };
    std::vector<int64_t> first, second;
    const std::vector<int64_t> boundaries = BoundaryDays();
    for (size_t i = 0; i < boundaries.size(); ++i)
        for (size_t j = i >= 40 ? i - 40 : 0; j < boundaries.size() && j <= i + 40; ++j) {
            first.push_back(boundaries[i]);
            second.push_back(boundaries[j]);
        }
    compare(first, second);
    std::mt19937_64 random(35);
    std::uniform_int_distribution<int64_t> anyDay(kFirstDay1970 - 2, kLastDay1970 + 2), near(-800, 800);
    const char* count = std::getenv("DFA_COLUMN_PAIRS");
    for (int64_t left = count ? std::atoll(count) : 300'000; left > 0 && !this->HasFailure(); left -= 1'000'000) {
        first.clear();
        second.clear();
        for (int64_t i = 0; i < std::min<int64_t>(left, 1'000'000); ++i) {
            first.push_back(anyDay(random));
            second.push_back(i % 2 ? anyDay(random) : first.back() + near(random));
        }
        compare(first, second);
    }
}

}  // namespace
