// SPDX-License-Identifier: MIT
#include "function_help.h"

#include <string_view>

#include "printable.h"

namespace dfa_gnumeric {

namespace {

// The add-in's texts reach the dialog as valid UTF-8 without control characters. A name has ":"
// (which separates it from its description there) and blanks replaced by "_": one word.
std::string Text(const std::string& own, std::string_view fallback, bool isName = false) {
    std::string text = own.empty() ? std::string(fallback) : dfa_host::Printable(own, DFA_TEXT_BUFFER_SIZE);
    if (isName)
        for (char& c : text)
            if (c == ':' || c == ' ') c = '_';
    return text;
}

}  // namespace

FunctionHelp HelpFor(const dfa_host::FunctionInfo& function) {
    const dfa_host::CatalogEntry* known = dfa_host::FindInCatalog(function.entryName);
    FunctionHelp help;
    // The add-in's description of the function, else its name text, else the catalog's.
    help.description = Text(function.parameters[0].description,
                            Text(function.nameText, known ? known->description : "A function of the dfa add-in."));
    for (std::size_t i = 0; i < function.inputs; ++i) {
        const dfa_host::ArgumentText ours = dfa_host::ArgumentTextOf(function, i);
        const dfa_host::ParameterInfo& own = function.parameters[i + 1];
        help.arguments.push_back({Text(own.name, ours.name, true), Text(own.description, ours.description),
                                  dfa_host::RoleOf(function, i)});
    }
    if (known) help.example = known->example;
    return help;
}

}  // namespace dfa_gnumeric
