// SPDX-License-Identifier: MIT
// How dfa-host reports: one line "dfa-host: ..." on standard error per problem, and a failed
// write of its output is a problem too.
#pragma once

#include <string>

namespace dfa_host {

inline constexpr int kExitFailure = 2;

// Prints "dfa-host: message" on standard error; the message must already be printable.
void Report(const std::string& message);

// Flushes standard output: 0 when everything written arrived, else reports why and returns
// kExitFailure.
int FinishOutput();

}  // namespace dfa_host
