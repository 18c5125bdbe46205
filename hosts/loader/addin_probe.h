// SPDX-License-Identifier: MIT
// A first run of an add-in in a process of its own. An add-in runs in its host's process: one whose
// handshake loops or crashes would hang or kill the host (for a spreadsheet, at every start,
// whatever the workbook). dfa-probe, a small program started afresh, loads it, runs the handshake
// and calls every function it registers a few times; the host loads the add-in itself only when
// dfa-probe came back in time and said it got through.
#pragma once

#include <cstdint>
#include <string>

#include "library_file.h"

namespace dfa_host {

// Seconds dfa-probe has: a sound add-in needs a millisecond or two, an emulated one a little more.
inline constexpr int kProbeSeconds = 2;

// Empty when dfa-probe finished in time and got through (whatever it found: the host's own load
// reports that), else why not: "crashed (Segmentation fault) in its handshake or first calls",
// "threw an exception ...", "ended the process (status 0) ...", say. dfa-probe gets the open file
// (so it tries what the host then loads), no other descriptor of the host's, default signal
// handling, and a process group of its own, which is killed whole when it is done or out of time.
std::string ProbeAddin(const LibraryFile& file, uint16_t language);

// dfa-probe: beside the module that runs this code (dfa-host, the Gnumeric plugin), or, installed,
// in libexec/dfa beside the bin folder.
std::string ProbeProgram();

// The descriptor on which dfa-probe reports.
inline constexpr int kProbeReportFd = 3;

// What dfa-probe does with the add-in that load names (a path, or a name dlopen searches): what a
// host does at start-up and a first call of each function on dates of every kind, reporting on
// the descriptor report that it got through. Returns dfa-probe's exit status.
int RunProbe(const std::string& load, uint16_t language, int report);

}  // namespace dfa_host
