// SPDX-License-Identifier: MIT
// dfa-host's command line: options first, then a command and its arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dfa_host {

struct Options {
    std::string libPath;              // empty: the default library
    uint16_t language = 0x0409;       // the host's LANGID, announced with SetLanguage
    std::string command;              // list, call or info
    std::vector<std::string> args;    // what follows the command
};

// The text of --help, with the limits as the code has them.
std::string Usage();

// The options, or the exit status when there is nothing more to do: --help and --version have
// printed what they were asked for (0), or an error and the usage went to standard error (2).
struct ParsedCommandLine {
    std::optional<Options> options;
    int status = 0;
};
ParsedCommandLine ParseCommandLine(int argc, char** argv);

}  // namespace dfa_host
