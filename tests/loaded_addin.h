// SPDX-License-Identifier: MIT
// Tests reach the add-in the way a host does: dlopen, then dlsym by name.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "dfa.h"
#include "open_addin.h"

namespace dfa_test {

class LoadedAddin {
public:
    // fresh: a copy of the file, in the state of a library the host has just loaded.
    explicit LoadedAddin(bool fresh = false) : LoadedAddin(DFA_LIBRARY_PATH, fresh) {}
    LoadedAddin(const char* path, bool fresh) : handle_(OpenAddin(path, fresh)) {
        if (!handle_) ADD_FAILURE() << dlerror();
    }
    ~LoadedAddin() {
        if (handle_) dlclose(handle_);
    }
    LoadedAddin(const LoadedAddin&) = delete;
    LoadedAddin& operator=(const LoadedAddin&) = delete;

    template <typename Fn>
    Fn get(const char* name) const {
        auto fn = reinterpret_cast<Fn>(handle_ ? dlsym(handle_, name) : nullptr);
        if (!fn) ADD_FAILURE() << "missing export " << name;
        return fn;
    }

    // Worksheet results as a host sees them; the null date set unless told otherwise.
    double date(const char* entry, double serial) const {
        double r = -1;
        get<dfa_DateFunction_fn>(entry)(&r, &serial);
        return r;
    }
    double diff(const char* entry, double a, double b, double mode) const {
        double r = -1;
        get<dfa_DiffFunction_fn>(entry)(&r, &a, &b, &mode);
        return r;
    }
    void setNullDate() const {
        uint16_t count = 0;
        get<dfa_GetFunctionCount_fn>("GetFunctionCount")(&count);
    }

private:
    void* handle_ = nullptr;
};

// The host's serial number of a date: days since 30 December 1899.
inline double Serial(int y, unsigned m, unsigned d) {
    using namespace std::chrono;
    return static_cast<double>((sys_days{year{y} / month{m} / day{d}} - sys_days{1899y / 12 / 30}).count());
}

}  // namespace dfa_test
