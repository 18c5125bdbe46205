// SPDX-License-Identifier: MIT
#include "date_system.h"

namespace dfa_gnumeric {

namespace {

constexpr long double kPhantomLeapDay = 60;  // 1900 system: 29 February 1900
constexpr long double kDaysFrom1900To1904 = 1462;  // 30 December 1899 to 1 January 1904

}  // namespace

std::optional<double> ToAddinSerial(long double serial, DateSystem system) {
    // Computed in the workbook's precision, rounded to the add-in's double once.
    if (system == DateSystem::k1904) return static_cast<double>(serial + kDaysFrom1900To1904);
    if (serial >= kPhantomLeapDay + 1) return static_cast<double>(serial);
    // Before the phantom day the 1900 count lags one behind: its 1 is 1 January 1900.
    if (serial < kPhantomLeapDay) return static_cast<double>(serial + 1);
    return std::nullopt;
}

}  // namespace dfa_gnumeric
