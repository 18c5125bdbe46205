// SPDX-License-Identifier: MIT
// Normalisation of the host's language identifier (LANGID layout: primary language in the low
// 10 bits, sublanguage in the 6 bits above).
#pragma once

#include <cstdint>

namespace dfa {

// Every sublanguage of a predefined primary language collapses to sublanguage 1; English,
// Chinese and Norwegian then collapse to the bare primary language and Portuguese to Portugal's.
constexpr uint16_t NormalizeLanguage(uint16_t nLanguage) noexcept {
    const uint16_t nPrimary = nLanguage & 0x3FF;
    if (nPrimary >= 0x200) return nLanguage;  // user-defined primary languages stay as they are
    switch (nPrimary | 0x400) {
        case 0x409: return 0x0009;
        case 0x404: return 0x0004;
        case 0x414: return 0x0014;
        case 0x416: return 0x0816;
        default: return static_cast<uint16_t>(nPrimary | 0x400);
    }
}

}  // namespace dfa
