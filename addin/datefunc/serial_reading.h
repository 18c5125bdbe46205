// SPDX-License-Identifier: MIT
// Serial dates to whole days. A cell can hold anything: NaN counts as 0, and every serial is
// clamped to whole-number bounds that int32 holds before it is converted, so no out-of-range
// double is ever converted. Clamping to whole numbers commutes with truncation and flooring, so
// clamping first gives the day number that saturating afterwards would.
#pragma once

#include <cstdint>

namespace dfa {

#if defined(__SSE2_MATH__)

// The clamp is the dependency chain of every call; NaN is kept off it. Written so that NaN
// passes it (a comparison with NaN is false), the clamp compiles to maxsd and minsd; the
// conversion instruction turns NaN into the "integer indefinite", which the mask of a comparison
// made beside the clamp turns into 0. The conversions are written as assembly: the language
// leaves converting NaN undefined, the instruction does not.
inline double ClampKeepingNaN(double x, double fLow, double fHigh) noexcept {
    const double y = x < fLow ? fLow : x;
    return y > fHigh ? fHigh : y;
}

inline int32_t NotNaNMask(double x) noexcept { return -static_cast<int32_t>(x == x); }

inline int32_t ConvertTruncating(double x) noexcept {
    int32_t n;
    __asm__("cvttsd2si %1, %0" : "=r"(n) : "x"(x));
    return n;
}

inline int32_t TruncateClamped(double x, double fLow, double fHigh) noexcept {
    return ConvertTruncating(ClampKeepingNaN(x, fLow, fHigh)) & NotNaNMask(x);
}

// Truncation is one too high exactly for negative non-integers; no libm floor needed.
inline int32_t FloorClamped(double x, double fLow, double fHigh) noexcept {
    const double c = ClampKeepingNaN(x, fLow, fHigh);
    const int32_t t = ConvertTruncating(c);
    return (t - (static_cast<double>(t) > c)) & NotNaNMask(x);
}

#if defined(__x86_64__)
// Flooring in one instruction, SSE4.1's roundsd, for processors that have it (chosen at load
// time). Written as assembly so that no function needs compiling for SSE4.1.
inline int32_t FloorClampedSse41(double x, double fLow, double fHigh) noexcept {
    double floored;
    __asm__("roundsd $9, %1, %0" : "=x"(floored) : "x"(ClampKeepingNaN(x, fLow, fHigh)));  // 9: toward -inf, no inexact
    return ConvertTruncating(floored) & NotNaNMask(x);
}
#endif

#else  // portable

inline double Clamp(double x, double fLow, double fHigh) noexcept {
    const double y = x == x ? x : 0.0;  // NaN compares unequal to itself
    return y < fLow ? fLow : y > fHigh ? fHigh : y;
}

inline int32_t TruncateClamped(double x, double fLow, double fHigh) noexcept {
    return static_cast<int32_t>(Clamp(x, fLow, fHigh));
}

inline int32_t FloorClamped(double x, double fLow, double fHigh) noexcept {
    const double c = Clamp(x, fLow, fHigh);
    const int32_t t = static_cast<int32_t>(c);
    return t - (static_cast<double>(t) > c);
}

#endif

}  // namespace dfa
