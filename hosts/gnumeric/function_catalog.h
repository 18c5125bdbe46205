// SPDX-License-Identifier: MIT
// What the plugin knows of the add-in's functions beyond what they register: which inputs are
// dates, and help for the function dialog where the add-in's own texts are empty.
#pragma once

#include <string>
#include <vector>

#include "addin_loader.h"

namespace dfa_gnumeric {

// Dates are translated from the workbook's date system, modes passed as they are.
enum class Role { kDate, kMode };

struct ArgumentHelp {
    std::string name, description;
    Role role;
};

struct FunctionHelp {
    std::string description;
    std::vector<ArgumentHelp> arguments;
};

// The add-in's functions take one date, or two dates and a mode; any other shape takes dates
// alone. Each text is the add-in's where it gives one, else the plugin's own.
FunctionHelp HelpFor(const dfa_host::FunctionInfo& function);

}  // namespace dfa_gnumeric
