// SPDX-License-Identifier: MIT
// The add-in against its step-by-step reference build (tests/reference), bit for bit, for every
// export: boundary and special serials in both modes and in others, random serials and bit
// patterns, missing pointers, before and after the handshake.
#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "loaded_addin.h"

namespace {

using dfa_test::LoadedAddin;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Serials where something changes: the ends of the calendar and of int32 with either null date,
// the phantom-free 1900, day 1 and year 0, fractions either side of whole days, what cells can
// hold beyond numbers.
const std::vector<double> kSpecial = {
    0.0, -0.0, kInf, -kInf, kNaN, -kNaN, 1e300, -1e300, 4.9e-324, -4.9e-324, 0.5, -0.5,
    0.99999999999999989, -0.99999999999999989, 1, -1, 59, 60, 61, 2147483647.0, -2147483648.0,
    2147483647.5, -2147483648.5, 2146790053.0, 2146790054.0, -2148177242.0, 23242572.0, 23242572.99,
    23242573.0, -693958.0, -693958.5, -693959.0, -693593.0, -693592.0, -364, -365, 1.25, 2, 23936166,
    23936167, 37987.5, 38046, 2958465};
const std::vector<double> kModes = {0, 1, 1.9, 2, -1, kNaN, kInf, 0.999999999999, -0.0};

using Entry = const char*;
constexpr Entry kOneDate[] = {"QvDate_IsLeapYear", "QvDate_DaysInMonth", "QvDate_DaysInYear", "QvDate_WeeksInYear"};
constexpr Entry kDiffs[] = {"QvDate_GetDiffWeeks", "QvDate_GetDiffMonths", "QvDate_GetDiffYears"};

struct Pair {
    LoadedAddin& addin;
    LoadedAddin& reference;
    int differences = 0;

    // A null argument pointer stands for a missing input; the result's -7 shows a skipped write.
    void one(Entry entry, const double* date) {
        double a = -7, b = -7;
        addin.get<dfa_DateFunction_fn>(entry)(&a, date);
        reference.get<dfa_DateFunction_fn>(entry)(&b, date);
        check(std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b), entry, date, nullptr, nullptr, a, b);
    }
    void diff(Entry entry, const double* d1, const double* d2, const double* mode) {
        double a = -7, b = -7;
        addin.get<dfa_DiffFunction_fn>(entry)(&a, d1, d2, mode);
        reference.get<dfa_DiffFunction_fn>(entry)(&b, d1, d2, mode);
        check(std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b), entry, d1, d2, mode, a, b);
    }
    void check(bool same, Entry entry, const double* d1, const double* d2, const double* mode, double a, double b) {
        if (same || ++differences > 10) return;
        auto text = [](const double* p) { return p ? std::to_string(*p) : std::string("null"); };
        ADD_FAILURE() << entry << "(" << text(d1) << ", " << text(d2) << ", " << text(mode) << ") gives " << a
                      << ", the reference " << b;
    }
};

void Compare(Pair& p) {
    std::mt19937_64 engine(20261208);
    auto rng = [&] { return static_cast<std::size_t>(engine()); };
    // Days of the calendar and around it, with times of day, mostly before its last 15,527 days,
    // where the reference corrects its first guess of the year tens of thousands of times.
    auto serial = [&] {
        const double day = static_cast<double>(static_cast<int64_t>(engine() % 24700000) - 1400000);
        return day + static_cast<double>(engine() % 8) / 8 - 0.5;
    };
    std::vector<double> dates = kSpecial;
    for (int i = 0; i < 3000; ++i) dates.push_back(serial());
    for (int i = 0; i < 40; ++i) dates.push_back(std::bit_cast<double>(engine()));  // any bit pattern

    for (const double& d : dates)
        for (Entry entry : kOneDate) p.one(entry, &d);
    for (Entry entry : kOneDate) p.one(entry, nullptr);
    for (std::size_t i = 0; i < dates.size(); ++i) {
        // Special dates pair with each other, random ones with a neighbour and a random partner.
        const bool special = i < kSpecial.size();
        const std::size_t partners = special ? kSpecial.size() : 2;
        for (std::size_t k = 0; k < partners; ++k) {
            const double near = dates[i] + static_cast<double>(rng() % 800) - 400.0;
            const double& other = special ? kSpecial[k] : k == 0 ? near : dates[rng() % dates.size()];
            const double& mode = kModes[(special ? k : rng()) % kModes.size()];
            for (Entry entry : kDiffs) {
                p.diff(entry, &dates[i], &other, &mode);
                if (k == 0) p.diff(entry, &dates[i], &other, &kModes[1]);
            }
        }
    }
    const double mode = 1, date = 40000.5;
    for (Entry entry : kDiffs)
        for (int nulls = 1; nulls < 8; ++nulls)
            p.diff(entry, nulls & 1 ? nullptr : &date, nulls & 2 ? nullptr : &dates[3000], nulls & 4 ? nullptr : &mode);
}

TEST(Equivalence, EveryExportMatchesTheStepByStepReference) {
    // Fresh copies: the first comparison runs before either has had its handshake.
    LoadedAddin addin(/*fresh=*/true), reference(DFA_REFERENCE_LIBRARY_PATH, /*fresh=*/true);
    Pair pair{addin, reference};
    Compare(pair);
    addin.setNullDate();
    reference.setNullDate();
    Compare(pair);
    EXPECT_EQ(pair.differences, 0);
}

// The differences for every first date of one 400-year cycle and of the calendar's ends, each
// with second dates at the distances where a difference changes, in both modes.
TEST(EquivalenceSweep, DifferencesOverACycleAndTheCalendarsEnds) {
    LoadedAddin addin, reference(DFA_REFERENCE_LIBRARY_PATH, /*fresh=*/false);
    addin.setNullDate();
    reference.setNullDate();
    constexpr double kOffsets[] = {-366, -365, -31, -30, -29, -28, -7, -6, -1, 0, 1, 6, 7, 27, 28, 29, 30, 31, 59, 365, 366};
    const double kCycleStart = dfa_test::Serial(2000, 1, 1), kFirstSerial = -693958, kLastSerial = 23242572;
    // The reference is slow at the calendar's upper end: fewer first dates there.
    const std::pair<double, double> kRanges[] = {
        {kCycleStart, kCycleStart + 146096}, {kFirstSerial - 40, kFirstSerial + 400}, {kLastSerial - 60, kLastSerial + 30}};
    int differences = 0;
    for (Entry entry : kDiffs) {
        const auto ours = addin.get<dfa_DiffFunction_fn>(entry), theirs = reference.get<dfa_DiffFunction_fn>(entry);
        for (const double mode : {0.0, 1.0})
            for (const auto& [first, last] : kRanges)
                for (double d1 = first; d1 <= last && differences < 10; ++d1)
                    for (const double offset : kOffsets) {
                        const double d2 = d1 + offset;
                        double a = -7, b = -7;
                        ours(&a, &d1, &d2, &mode);
                        theirs(&b, &d1, &d2, &mode);
                        if (std::bit_cast<uint64_t>(a) != std::bit_cast<uint64_t>(b) && ++differences <= 10)
                            ADD_FAILURE() << entry << "(" << d1 << ", " << d2 << ", " << mode << ") gives " << a
                                          << ", the reference " << b;
                    }
    }
}

}  // namespace
