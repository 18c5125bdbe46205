// SPDX-License-Identifier: MIT
#include "report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dfa_host {

void Report(const std::string& message) { std::fprintf(stderr, "dfa-host: %s\n", message.c_str()); }

int FinishOutput() {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !std::ferror(stdout)) return 0;
    // An earlier buffered write may have failed without leaving its errno behind.
    Report(std::string("cannot write standard output: ") + (flushed || errno == 0 ? "write error" : std::strerror(errno)));
    return kExitFailure;
}

}  // namespace dfa_host
