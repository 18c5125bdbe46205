// SPDX-License-Identifier: MIT
// The months difference as its rule states it, for the oracles (the reference build and the
// fuzzer's model), each of which finds the dates with a calendar of its own.
#pragma once

#include <cstdint>

namespace dfa_test {

// a and b are the dates (d, m, y) of day numbers n1 and n2. Only the days of the month decide
// whether the last month is complete.
template <typename Date>
int64_t MonthsByRule(const Date& a, const Date& b, int64_t n1, int64_t n2, bool iso) {
    const int64_t diff = (b.m - a.m) + 12 * (int64_t{b.y} - a.y);
    if (iso || n1 == n2) return diff;
    if (n1 < n2 && a.d > b.d) return diff - 1;
    if (n1 > n2 && a.d < b.d) return diff + 1;
    return diff;
}

}  // namespace dfa_test
