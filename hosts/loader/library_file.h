// SPDX-License-Identifier: MIT
// What a host checks of a library file before dlopen: the dynamic loader maps a file as its
// headers describe it, so a truncated library dies of SIGBUS inside dlopen, a FIFO blocks it
// for ever, and a library of another processor is reported with a misleading message.
#pragma once

#include <string>

namespace dfa_host {

// Why the file at path cannot be a shared library for this process, or empty when it can:
// a regular file holding an ELF shared object of this process's class, byte order and
// processor, whose loadable segments all lie within the file.
std::string LibraryFileProblem(const std::string& path);

}  // namespace dfa_host
