// SPDX-License-Identifier: MIT
// Loads an add-in the way a spreadsheet host does: dlopen, the registration handshake, and the
// worksheet functions resolved by the entry names the add-in reports.
//
// Everything the add-in reports is distrusted: counts are checked before they are used, texts are
// read from buffers with room for what they may hold and taken at most 255 bytes long, and entry
// names must name functions of the add-in itself (not of a library it depends on). What the
// add-in's code does when called is beyond a host's reach.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dfa.h"
#include "library_file.h"

namespace dfa_host {

// The result pointer and up to three inputs, each a pointer to a double.
inline constexpr std::size_t kMaxInputs = DFA_MAX_PARAMETERS - 1;

struct ParameterInfo {
    std::string name, description;
};

struct FunctionInfo {
    uint16_t index = 0;
    std::string entryName, nameText;
    std::size_t inputs = 0;                 // parameters after the result pointer
    std::vector<ParameterInfo> parameters;  // [0] describes the function itself, then each input
    void* entry = nullptr;                  // the add-in's export of that name
};

class Addin {
public:
    // Loads the library and runs the handshake, announcing the host's language last.
    Addin(const LibraryFile& file, uint16_t language);
    Addin(const std::string& path, uint16_t language);
    ~Addin();
    Addin(const Addin&) = delete;
    Addin& operator=(const Addin&) = delete;

    // False when the library could not be loaded or lacks a registration export; error() says why.
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    // The functions a host can call, in the add-in's order.
    const std::vector<FunctionInfo>& functions() const { return functions_; }
    // One line for each function the add-in registers that a host cannot call, naming why.
    const std::vector<std::string>& problems() const { return problems_; }

    const FunctionInfo* find(std::string_view entryName) const;
    // Calls a worksheet function with one double per input (args.size() == function.inputs).
    double call(const FunctionInfo& function, std::span<const double> args) const;
    // An export of the add-in itself; null when it lacks one (or only a library it uses has it).
    void* symbol(const char* name) const;

private:
    void handshake(uint16_t language);
    // Why a function reported by GetFunctionData cannot be called, or empty when it can.
    std::string check(FunctionInfo& info, uint16_t paramCount, std::span<const int32_t> types) const;
    void reject(std::string problem);

    void* handle_ = nullptr;
    std::string path_, error_;
    std::vector<FunctionInfo> functions_;
    std::vector<std::string> problems_;
    std::size_t unreportedProblems_ = 0;
};

}  // namespace dfa_host
