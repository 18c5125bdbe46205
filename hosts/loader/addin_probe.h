// SPDX-License-Identifier: MIT
// A first run of an add-in in a child process. An add-in runs in its host's process: one whose
// handshake loops or crashes would hang or kill the host (for a spreadsheet, at every start,
// whatever the workbook). The child loads it, runs the handshake and calls every function it
// registers a few times; the host loads the add-in itself only when the child came back in time.
#pragma once

#include <cstdint>
#include <string>

namespace dfa_host {

// Seconds the child has: a sound add-in needs a millisecond or two, an emulated one a little more.
inline constexpr int kProbeSeconds = 2;

// Empty when the child finished in time and said so (whatever it found: the host's own load
// reports that), else why not: "crashed (Segmentation fault) in its handshake or first calls",
// "threw an exception ...", "ended the process (status 0) ...", say. The child runs in a process
// group of its own, which is killed whole when it is done or out of time.
std::string ProbeAddin(const std::string& path, uint16_t language);

}  // namespace dfa_host
