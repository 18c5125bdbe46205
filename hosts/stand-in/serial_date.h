// SPDX-License-Identifier: MIT
// Arguments of `dfa-host call`: serial numbers or ISO dates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dfa_host {

struct Argument {
    std::optional<double> value;
    std::string error;  // why the text is no argument, when value is empty
};

// A serial date, that is any number strtod reads (nan and inf included, for exercising the
// add-in with what cells can hold), or an ISO date YYYY-MM-DD with a year of 4 or 5 digits,
// optionally in the expanded form +YYYYY-MM-DD, turned into the serial that the add-in reads as
// that very date.
Argument ParseArgument(std::string_view text);

}  // namespace dfa_host
