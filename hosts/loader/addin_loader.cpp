// SPDX-License-Identifier: MIT
#include "addin_loader.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "printable.h"

namespace dfa_host {

namespace {

// A host-owned text buffer. The add-in may fill all of it without a terminator, so a text is
// read as at most its first 255 bytes.
using Text = std::array<char, DFA_TEXT_BUFFER_SIZE>;

std::string TextOf(const Text& text) { return std::string(text.data(), strnlen(text.data(), text.size() - 1)); }

// The parameter count is an output the host cannot know in advance: room for every count a
// 16-bit value can report.
constexpr std::size_t kReportableParams = 65535;
// Marks the types the add-in did not write.
constexpr int32_t kUnwritten = INT32_MIN;

// A flood of broken entries is summed up rather than listed.
constexpr std::size_t kMaxListedProblems = 20;

std::string Quoted(std::string_view name) { return "'" + Printable(name, 64) + "'"; }

}  // namespace

Addin::Addin(const std::string& path, uint16_t language) : Addin(LibraryFile(path), language) {}

Addin::Addin(const LibraryFile& file, uint16_t language) : path_(file.path()) {
    if (!file.problem().empty()) {
        error_ = "cannot load " + PrintablePath(path_) + ": " + file.problem();
        return;
    }
    const std::string name = file.loadName();
    handle_ = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* error = dlerror();
        std::string_view why = error ? error : "unknown error";
        // dlerror names the file itself.
        if (why.starts_with(name + ": ")) why.remove_prefix(name.size() + 2);
        error_ = "cannot load " + PrintablePath(path_) + ": " + Printable(why, 200);
        return;
    }
    handshake(language);
}

Addin::~Addin() {
    if (handle_) dlclose(handle_);
}

void* Addin::symbol(const char* name) const {
    if (!handle_) return nullptr;
    void* address = dlsym(handle_, name);
    // dlsym also searches the libraries the add-in depends on: a name that only libc exports is
    // not a function of the add-in.
    link_map* own = nullptr;
    link_map* owner = nullptr;
    Dl_info info;
    if (!address || dlinfo(handle_, RTLD_DI_LINKMAP, &own) != 0 ||
        !dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) || owner != own)
        return nullptr;
    return address;
}

void Addin::handshake(uint16_t language) {
    auto getCount = reinterpret_cast<dfa_GetFunctionCount_fn>(symbol("GetFunctionCount"));
    auto getData = reinterpret_cast<dfa_GetFunctionData_fn>(symbol("GetFunctionData"));
    auto getParam = reinterpret_cast<dfa_GetParameterDescription_fn>(symbol("GetParameterDescription"));
    auto setLanguage = reinterpret_cast<dfa_SetLanguage_fn>(symbol("SetLanguage"));
    const char* missing = !getCount      ? "GetFunctionCount"
                          : !getData     ? "GetFunctionData"
                          : !getParam    ? "GetParameterDescription"
                          : !setLanguage ? "SetLanguage"
                                         : nullptr;
    if (missing) {
        error_ = PrintablePath(path_) + " does not export " + missing;
        return;
    }

    uint16_t count = 0;
    getCount(&count);
    std::vector<int32_t> types(kReportableParams);
    for (uint32_t i = 0; i < count; ++i) {
        // Fresh copies of every input: the add-in gets pointers, and need not honour const.
        uint16_t index = static_cast<uint16_t>(i);
        uint16_t paramCount = 0;
        Text entry{}, nameText{};
        std::fill_n(types.begin(), kMaxInputs + 1, kUnwritten);
        getData(&index, entry.data(), &paramCount, types.data(), nameText.data());
        if (paramCount == 0) continue;  // the index names no function

        FunctionInfo info;
        info.index = static_cast<uint16_t>(i);
        info.entryName = TextOf(entry);
        info.nameText = TextOf(nameText);
        if (std::string problem = check(info, paramCount, types); !problem.empty()) {
            reject("function " + std::to_string(i) + " " + problem);
            continue;
        }
        for (uint32_t p = 0; p <= info.inputs; ++p) {
            uint16_t fn = static_cast<uint16_t>(i), param = static_cast<uint16_t>(p);
            Text name{}, description{};
            getParam(&fn, &param, name.data(), description.data());
            info.parameters.push_back({TextOf(name), TextOf(description)});
        }
        functions_.push_back(std::move(info));
    }
    setLanguage(&language);
}

std::string Addin::check(FunctionInfo& info, uint16_t paramCount, std::span<const int32_t> types) const {
    if (info.entryName.empty()) return "has an empty entry name";
    const std::string what = Quoted(info.entryName);
    if (paramCount > kMaxInputs + 1)
        return what + " has " + std::to_string(paramCount) + " parameters; supported are 1 to " +
               std::to_string(kMaxInputs + 1) + ", the result included";
    for (uint16_t p = 0; p < paramCount; ++p)
        if (types[p] != DFA_PARAM_DOUBLE_PTR)
            return what + ": parameter " + std::to_string(p) + " has type " +
                   (types[p] == kUnwritten ? std::string("(not written)") : std::to_string(types[p])) +
                   "; only 0, a pointer to a double, is supported";
    if (find(info.entryName)) return what + " is registered twice";
    info.entry = symbol(info.entryName.c_str());
    if (!info.entry) return what + " is not exported by the library";
    info.inputs = paramCount - 1u;
    return {};
}

void Addin::reject(std::string problem) {
    if (problems_.size() < kMaxListedProblems) {
        problems_.push_back(std::move(problem));
        return;
    }
    if (unreportedProblems_++ == 0) problems_.emplace_back();
    problems_.back() = "and " + std::to_string(unreportedProblems_) + " more functions that cannot be called";
}

const FunctionInfo* Addin::find(std::string_view entryName) const {
    for (const auto& f : functions_)
        if (f.entryName == entryName) return &f;
    return nullptr;
}

double Addin::call(const FunctionInfo& function, std::span<const double> args) const {
    // Copies, so that a function writing through its input pointers changes nothing of the caller's.
    std::array<double, kMaxInputs> a{};
    std::copy_n(args.begin(), std::min(args.size(), a.size()), a.begin());
    double result = 0.0;
    switch (function.inputs) {
        case 0: reinterpret_cast<void (*)(double*)>(function.entry)(&result); break;
        case 1: reinterpret_cast<dfa_DateFunction_fn>(function.entry)(&result, &a[0]); break;
        case 2: reinterpret_cast<void (*)(double*, const double*, const double*)>(function.entry)(&result, &a[0], &a[1]); break;
        case 3: reinterpret_cast<dfa_DiffFunction_fn>(function.entry)(&result, &a[0], &a[1], &a[2]); break;
        default: break;  // check() admits no other count
    }
    return result;
}

}  // namespace dfa_host
