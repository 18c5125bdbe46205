// SPDX-License-Identifier: MIT
// A workbook's serial dates in the add-in's count. The add-in counts days from 30 December 1899
// with no phantom day; a workbook counts from 1900 the way old spreadsheets did (its 60 is a
// 29 February 1900 that never was) or from 1904.
#pragma once

#include <optional>

namespace dfa_gnumeric {

enum class DateSystem { k1900, k1904 };

// The add-in's serial of the moment that a workbook's serial names, time of day kept; nothing
// for the phantom 29 February 1900 (1900 serials from 60 up to 61). Nothing else is limited:
// the add-in's whole calendar stays reachable.
std::optional<double> ToAddinSerial(long double serial, DateSystem system);

}  // namespace dfa_gnumeric
