// SPDX-License-Identifier: MIT
// Serial dates to whole days. A cell can hold anything, and converting a double that int32
// cannot hold (NaN, an infinity, 1e300) is undefined behaviour: NaN counts as 0, and every other
// serial is clamped to whole-number bounds within int32 before it is converted. Clamping to
// whole numbers commutes with truncation and flooring, so clamping first gives the day number
// that saturating afterwards would.
#pragma once

#include <cstdint>

namespace dfa {

// fLow and fHigh are whole numbers within int32 with fLow <= 0 <= fHigh.
// NaN passes both comparisons (they are false) and is replaced last, off the clamp's chain.
constexpr double ClampSerial(double x, double fLow, double fHigh) noexcept {
    double y = x < fLow ? fLow : x;
    y = y > fHigh ? fHigh : y;
    return x == x ? y : 0.0;  // NaN compares unequal to itself
}

constexpr int32_t TruncateClamped(double x, double fLow, double fHigh) noexcept {
    return static_cast<int32_t>(ClampSerial(x, fLow, fHigh));
}

// Truncation is one too high exactly for negative non-integers; no libm floor needed.
constexpr int32_t FloorClamped(double x, double fLow, double fHigh) noexcept {
    const double c = ClampSerial(x, fLow, fHigh);
    const int32_t t = static_cast<int32_t>(c);
    return t - (static_cast<double>(t) > c);
}

}  // namespace dfa
