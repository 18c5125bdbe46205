// SPDX-License-Identifier: MIT
#include "addin_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <filesystem>

namespace dfa_host {

namespace {

using Text = std::array<char, DFA_TEXT_BUFFER_SIZE>;

template <typename Fn>
Fn Resolve(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

}  // namespace

Addin::Addin(const std::string& path, uint16_t language) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = "cannot load " + path + ": " + (why ? why : "unknown error");
        return;
    }
    auto getCount = Resolve<dfa_GetFunctionCount_fn>(handle_, "GetFunctionCount");
    auto getData = Resolve<dfa_GetFunctionData_fn>(handle_, "GetFunctionData");
    auto getParam = Resolve<dfa_GetParameterDescription_fn>(handle_, "GetParameterDescription");
    auto setLanguage = Resolve<dfa_SetLanguage_fn>(handle_, "SetLanguage");
    const char* missing = !getCount      ? "GetFunctionCount"
                          : !getData     ? "GetFunctionData"
                          : !getParam    ? "GetParameterDescription"
                          : !setLanguage ? "SetLanguage"
                                         : nullptr;
    if (missing) {
        error_ = path + " does not export " + missing;
        return;
    }

    uint16_t count = 0;
    getCount(&count);
    for (uint16_t index = 0; index < count; ++index) {
        FunctionInfo info;
        info.index = index;
        Text entry{}, nameText{};
        uint16_t paramCount = 0;
        std::array<int32_t, 256> types{};
        getData(&index, entry.data(), &paramCount, types.data(), nameText.data());
        if (paramCount == 0) continue;  // the index names no function
        if (paramCount > types.size()) {
            error_ = "function " + std::to_string(index) + " reports " + std::to_string(paramCount) + " parameters";
            return;
        }
        info.entryName = entry.data();
        info.nameText = nameText.data();
        info.paramTypes.assign(types.begin(), types.begin() + paramCount);
        for (uint16_t param = 0; param < paramCount; ++param) {
            Text name{}, description{};
            getParam(&index, &param, name.data(), description.data());
            info.parameters.push_back({name.data(), description.data()});
        }
        info.entry = dlsym(handle_, info.entryName.c_str());
        if (!info.entry) {
            error_ = path + " does not export " + info.entryName + ", which it registers";
            return;
        }
        functions_.push_back(std::move(info));
    }
    setLanguage(&language);
}

Addin::~Addin() {
    if (handle_) dlclose(handle_);
}

const FunctionInfo* Addin::find(const std::string& entryName) const {
    for (const auto& f : functions_)
        if (f.entryName == entryName) return &f;
    return nullptr;
}

void* Addin::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

double Addin::call(const FunctionInfo& function, const std::vector<double>& args) const {
    double result = 0.0;
    const double* a = args.data();
    switch (args.size()) {
        case 1: reinterpret_cast<dfa_DateFunction_fn>(function.entry)(&result, &a[0]); break;
        case 3: reinterpret_cast<dfa_DiffFunction_fn>(function.entry)(&result, &a[0], &a[1], &a[2]); break;
        default: break;  // callers check the argument count against the registered one
    }
    return result;
}

std::string DefaultLibraryPath() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "libdfa.so";
    const auto beside = exe.parent_path() / "libdfa.so";
    if (std::filesystem::exists(beside, ec)) return beside.string();
    return (exe.parent_path() / DFA_HOST_LIBDIR_FROM_BINDIR / "libdfa.so").lexically_normal().string();
}

}  // namespace dfa_host
