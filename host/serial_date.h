// SPDX-License-Identifier: MIT
// Arguments of `dfa-host call`: serial numbers or ISO dates.
#pragma once

#include <optional>
#include <string_view>

namespace dfa_host {

// A serial date (any number strtod accepts, nan and inf included, for exercising the add-in
// with what cells can hold) or an ISO date YYYY-MM-DD, counted from 30 December 1899.
std::optional<double> ParseSerial(std::string_view text);

}  // namespace dfa_host
