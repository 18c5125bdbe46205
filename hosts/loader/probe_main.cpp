// SPDX-License-Identifier: MIT
// dfa-probe ADDIN LANGUAGE: tries an add-in for a host (ProbeAddin), which starts it with a report
// pipe as descriptor kProbeReportFd. Not for use by hand: its only output is that pipe and its exit status.
#include <cstdlib>
#include <string>

#include "addin_probe.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    char* end = nullptr;
    const unsigned long language = std::strtoul(argv[2], &end, 10);
    if (*end != '\0' || language > 0xFFFF) return 2;
    return dfa_host::RunProbe(argv[1], static_cast<uint16_t>(language), dfa_host::kProbeReportFd);
}
