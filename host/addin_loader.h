// SPDX-License-Identifier: MIT
// Loads the add-in the way a spreadsheet host does: dlopen, the registration handshake, and the
// worksheet functions resolved by the entry names the add-in reports.
#pragma once

#include <string>
#include <vector>

#include "dfa.h"

namespace dfa_host {

struct ParameterInfo {
    std::string name, description;
};

struct FunctionInfo {
    uint16_t index = 0;
    std::string entryName, nameText;
    std::vector<int32_t> paramTypes;        // the result pointer first
    std::vector<ParameterInfo> parameters;  // [0] describes the function itself
    void* entry = nullptr;                  // dlsym of entryName
};

class Addin {
public:
    // Loads the library and runs the handshake; on failure error() says why.
    Addin(const std::string& path, uint16_t language);
    ~Addin();
    Addin(const Addin&) = delete;
    Addin& operator=(const Addin&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::vector<FunctionInfo>& functions() const { return functions_; }
    const FunctionInfo* find(const std::string& entryName) const;
    // Calls a worksheet function with one pointer per parameter after the result.
    double call(const FunctionInfo& function, const std::vector<double>& args) const;
    // Resolves an optional export; null when the library lacks it.
    void* symbol(const char* name) const;

private:
    void* handle_ = nullptr;
    std::string error_;
    std::vector<FunctionInfo> functions_;
};

// libdfa.so beside the running executable, or in the library directory of an installed tree.
std::string DefaultLibraryPath();

}  // namespace dfa_host
