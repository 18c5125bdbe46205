// SPDX-License-Identifier: MIT
// The version record the host's component loader may ask for.
#include "dfa.h"
#include "dfa_build_config.h"

namespace {

// Build time and date come from the compiler; with SOURCE_DATE_EPOCH set they are that moment
// (in UTC), which keeps builds reproducible. The rest is the build configuration's.
constexpr const char* g_aVersionInfo[DFA_VERSION_INFO_COUNT] = {
    __TIME__, __DATE__, DFA_RELEASE_NUMBER, DFA_MILESTONE, DFA_BUILD_NUMBER, DFA_OUTPUT_DIR,
};

}  // namespace

extern "C" const char* const* GetVersionInfo(void) { return g_aVersionInfo; }
