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
// call ENTRY ARG... or call - [FILE]; the command line has checked the shape of args.
int Call(const Addin& addin, const std::vector<std::string>& args);

}  // namespace dfa_host
