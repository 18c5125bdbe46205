// SPDX-License-Identifier: MIT
#include "function_catalog.h"

namespace dfa_host {

namespace {

constexpr ArgumentText kFirstDate{"first_date", "the date to count from"};
constexpr ArgumentText kSecondDate{"second_date", "the date to count to"};
constexpr ArgumentText kMode{"mode", "1 for the ISO 8601 variant (it is truncated, so 1.9 is 1 too), anything else for the standard one"};
constexpr ArgumentText kDate{"date", "any day of the month or year asked about"};

constexpr ArgumentText DIFFERENCE[kMaxInputs] = {kFirstDate, kSecondDate, kMode};
constexpr ArgumentText DATE[kMaxInputs] = {kDate};

constexpr CatalogEntry Entry(std::string_view entryName, const ArgumentText (&arguments)[kMaxInputs],
                             std::string_view description, std::string_view example, double exampleResult) {
    return {entryName, description, {arguments[0], arguments[1], arguments[2]}, example, exampleResult};
}

constexpr CatalogEntry kCatalog[] = {
#define DFA_CATALOG_ENTRY(name, arguments, description, example, result) Entry(#name, arguments, description, example, result),
#include "function_catalog.def"
#undef DFA_CATALOG_ENTRY
};

}  // namespace

std::span<const CatalogEntry> Catalog() { return kCatalog; }

const CatalogEntry* FindInCatalog(std::string_view entryName) {
    for (const CatalogEntry& entry : kCatalog)
        if (entry.entryName == entryName) return &entry;
    return nullptr;
}

Role RoleOf(const FunctionInfo& function, std::size_t input) {
    return function.inputs == 3 && input == 2 ? Role::kMode : Role::kDate;
}

ArgumentText ArgumentTextOf(const FunctionInfo& function, std::size_t input) {
    if (const CatalogEntry* entry = FindInCatalog(function.entryName);
        entry && input < kMaxInputs && !entry->arguments[input].name.empty())
        return entry->arguments[input];
    if (RoleOf(function, input) == Role::kMode) return kMode;
    return function.inputs == 3 ? (input == 0 ? kFirstDate : kSecondDate) : kDate;
}

}  // namespace dfa_host
