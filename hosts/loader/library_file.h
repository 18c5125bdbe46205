// SPDX-License-Identifier: MIT
// What a host checks of a library file before dlopen: the dynamic loader maps a file as its
// headers describe it, so a truncated library dies of SIGBUS inside dlopen, a FIFO blocks it
// for ever, and a library of another processor is reported with a misleading message.
#pragma once

#include <string>

namespace dfa_host {

// An add-in's file held open from its check to its load, so that what was checked (and tried in
// dfa-probe) is what is loaded, whatever becomes of its name meanwhile. A name without a
// slash is left for dlopen to search on the system's library path, whose libraries come from the
// system.
class LibraryFile {
public:
    explicit LibraryFile(std::string path);
    ~LibraryFile();
    LibraryFile(const LibraryFile&) = delete;
    LibraryFile& operator=(const LibraryFile&) = delete;

    // As given: messages name it.
    const std::string& path() const { return path_; }
    // Why it cannot be a shared library for this process, or empty when it can: a regular file
    // holding an ELF shared object of this process's class, byte order and processor, whose
    // loadable segments all lie within the file.
    const std::string& problem() const { return problem_; }
    // The open file, or -1 for a name that dlopen searches.
    int descriptor() const { return fd_; }
    // What dlopen loads: the open file (/proc/self/fd/N), or the name it searches.
    std::string loadName() const;

private:
    std::string path_, problem_;
    int fd_ = -1;
};

}  // namespace dfa_host
