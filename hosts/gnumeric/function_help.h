// SPDX-License-Identifier: MIT
// Help for Gnumeric's function dialog: the add-in's texts where it gives them, else the hosts'
// catalog, made fit for the dialog.
#pragma once

#include <string>
#include <vector>

#include "function_catalog.h"

namespace dfa_gnumeric {

struct ArgumentHelp {
    std::string name, description;
    dfa_host::Role role;
};

struct FunctionHelp {
    std::string description;
    std::vector<ArgumentHelp> arguments;
    std::string example;  // empty where the catalog has none
};

FunctionHelp HelpFor(const dfa_host::FunctionInfo& function);

}  // namespace dfa_gnumeric
