// SPDX-License-Identifier: MIT
// dlopen of the add-in, optionally of a fresh copy of its file: a copy starts in the state of a
// library the host has just loaded (null date not yet set), where dlopen of the same path would
// hand back the already-loaded instance.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

namespace dfa_test {

inline void* OpenAddin(const char* path, bool fresh) {
    if (!fresh) return dlopen(path, RTLD_NOW | RTLD_LOCAL);
    // Beside the library, in the build tree: a temporary directory may be mounted noexec.
    static std::atomic<int> copies{0};
    const auto copy = std::filesystem::path(path).parent_path() /
                      ("fresh-copy-" + std::to_string(getpid()) + "-" + std::to_string(++copies) + ".so");
    std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
    void* handle = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    std::filesystem::remove(copy);
    return handle;
}

}  // namespace dfa_test
