// SPDX-License-Identifier: MIT
// dfa-host's commands, on an add-in that has been loaded and handshaken. Each returns the exit
// status; output goes to standard output, problems to standard error.
#pragma once

#include <string>
#include <vector>

#include "addin_loader.h"

namespace dfa_host {

int List(const Addin& addin);
int Info(const Addin& addin);
// A call line is a few hundred bytes at most: a batch reads lines of up to this many bytes,
// and reports a longer one as an error without storing it.
inline constexpr std::size_t kMaxLineBytes = 4096;

// call ENTRY ARG... or call - [FILE] (FILE "-" is standard input too); the command line has
// checked the shape of args.
int Call(const Addin& addin, const std::vector<std::string>& args);

}  // namespace dfa_host
