// SPDX-License-Identifier: MIT
// The hosts' own texts for the add-in's functions, for where the add-in gives none (this
// add-in's texts are all empty): what each function does, what its inputs are, and an example
// with its result, as a spreadsheet formula.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "addin_loader.h"

namespace dfa_host {

struct ArgumentText {
    std::string_view name, description;
};

struct CatalogEntry {
    std::string_view entryName, description;
    ArgumentText arguments[kMaxInputs];
    std::string_view example;  // a formula of Gnumeric's English syntax
    double exampleResult;
};

// Every function the hosts know, in the add-in's order.
std::span<const CatalogEntry> Catalog();

// The entry of a function the hosts know, or null.
const CatalogEntry* FindInCatalog(std::string_view entryName);

// Inputs are dates, but for the mode: the third input of a function of three.
enum class Role { kDate, kMode };
Role RoleOf(const FunctionInfo& function, std::size_t input);

// The hosts' name and description of an input (0-based), for any function: from the catalog
// where it has the function, else by role.
ArgumentText ArgumentTextOf(const FunctionInfo& function, std::size_t input);

}  // namespace dfa_host
