// SPDX-License-Identifier: MIT
#include "library_file.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace dfa_host {

namespace {

// The identity of an ELF file, read in its own byte order.
struct ElfHeader {
    unsigned elfClass = 0, byteOrder = 0;
    uint16_t type = 0, machine = 0;
    uint64_t programHeaders = 0;  // offset
    uint16_t programHeaderSize = 0, programHeaderCount = 0;
};

class Reader {
public:
    Reader(const unsigned char* bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}
    uint64_t get(std::size_t offset, std::size_t size) const {
        uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= uint64_t{bytes_[offset + i]} << (8 * (bigEndian_ ? size - 1 - i : i));
        return value;
    }

private:
    const unsigned char* bytes_;
    bool bigEndian_;
};

// Reads exactly size bytes at offset, or fails.
bool ReadAt(int fd, void* buffer, std::size_t size, uint64_t offset) {
    auto* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ssize_t n = pread(fd, out, size, static_cast<off_t>(offset));
        if (n <= 0) return false;
        out += n, size -= static_cast<std::size_t>(n), offset += static_cast<uint64_t>(n);
    }
    return true;
}

bool ParseHeader(const unsigned char (&ident)[64], ElfHeader& header) {
    if (std::memcmp(ident, ELFMAG, SELFMAG) != 0) return false;
    header.elfClass = ident[EI_CLASS];
    header.byteOrder = ident[EI_DATA];
    if ((header.elfClass != ELFCLASS32 && header.elfClass != ELFCLASS64) ||
        (header.byteOrder != ELFDATA2LSB && header.byteOrder != ELFDATA2MSB))
        return false;
    const Reader r(ident, header.byteOrder == ELFDATA2MSB);
    const bool wide = header.elfClass == ELFCLASS64;
    header.type = static_cast<uint16_t>(r.get(16, 2));
    header.machine = static_cast<uint16_t>(r.get(18, 2));
    header.programHeaders = wide ? r.get(32, 8) : r.get(28, 4);
    header.programHeaderSize = static_cast<uint16_t>(r.get(wide ? 54 : 42, 2));
    header.programHeaderCount = static_cast<uint16_t>(r.get(wide ? 56 : 44, 2));
    return true;
}

std::string MachineName(const ElfHeader& header) {
    const bool wide = header.elfClass == ELFCLASS64;
    switch (header.machine) {
        case EM_X86_64: return wide ? "x86-64" : "x32";
        case EM_386: return "i386";
        case EM_AARCH64: return "aarch64";
        case EM_ARM: return "arm";
        case EM_MIPS: return wide ? "mips64" : "mips";
        case EM_PPC64: return "ppc64";
        case EM_PPC: return "powerpc";
        case EM_S390: return wide ? "s390x" : "s390";
        case EM_RISCV: return wide ? "riscv64" : "riscv32";
        default: return "machine " + std::to_string(header.machine);
    }
}

// The whole description: "aarch64", or "32-bit big-endian mips" where class or order could be
// mistaken.
std::string Describe(const ElfHeader& header, const ElfHeader& own) {
    std::string what = MachineName(header);
    if (header.machine == own.machine && header.elfClass != own.elfClass)
        what = (header.elfClass == ELFCLASS64 ? "64-bit " : "32-bit ") + what;
    if (header.byteOrder != own.byteOrder) what = (header.byteOrder == ELFDATA2MSB ? "big-endian " : "little-endian ") + what;
    return what;
}

// This process's own identity, from the executable it runs (under a user-mode emulator, the
// emulated one's).
const ElfHeader* OwnHeader() {
    static const ElfHeader own = [] {
        ElfHeader header;
        unsigned char ident[64] = {};
        const int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            if (!ReadAt(fd, ident, sizeof ident, 0) || !ParseHeader(ident, header)) header = {};
            close(fd);
        }
        return header;
    }();
    return own.machine ? &own : nullptr;
}

std::string Problem(int fd, const ElfHeader* own) {
    struct stat status;
    if (fstat(fd, &status) != 0) return std::strerror(errno);
    if (!S_ISREG(status.st_mode)) return S_ISDIR(status.st_mode) ? "is a directory" : "is not a regular file";
    const auto size = static_cast<uint64_t>(status.st_size);
    unsigned char ident[64] = {};
    ElfHeader header;
    if (size < sizeof ident || !ReadAt(fd, ident, sizeof ident, 0) || !ParseHeader(ident, header))
        return "is not an ELF file";
    if (header.type != ET_DYN) return "is an ELF file but not a shared library";
    if (own && (header.machine != own->machine || header.elfClass != own->elfClass || header.byteOrder != own->byteOrder))
        return "is a library for " + Describe(header, *own) + "; this host runs " + MachineName(*own);
    // Every loadable segment must lie within the file: the loader maps it whole, and a page past
    // the end of the file faults with SIGBUS when touched.
    const bool wide = header.elfClass == ELFCLASS64;
    const std::size_t entrySize = wide ? 56 : 32;
    const uint64_t table = header.programHeaders, tableSize = uint64_t{header.programHeaderCount} * entrySize;
    if (header.programHeaderSize != entrySize || table > size || tableSize > size - table)
        return "is truncated or damaged: its program headers lie outside the file (" + std::to_string(size) + " bytes)";
    std::vector<unsigned char> entries(static_cast<std::size_t>(tableSize));  // at most 65535 entries
    if (!ReadAt(fd, entries.data(), entries.size(), table)) return "cannot be read";
    const Reader r(entries.data(), header.byteOrder == ELFDATA2MSB);
    for (std::size_t i = 0; i < header.programHeaderCount; ++i) {
        const std::size_t at = i * entrySize;
        if (r.get(at, 4) != PT_LOAD) continue;
        const uint64_t offset = wide ? r.get(at + 8, 8) : r.get(at + 4, 4);
        const uint64_t fileSize = wide ? r.get(at + 32, 8) : r.get(at + 16, 4);
        if (offset > size || fileSize > size - offset)
            return "is truncated: a loadable segment ends at byte " + std::to_string(offset + fileSize) +
                   ", the file has " + std::to_string(size);
    }
    return {};
}

}  // namespace

LibraryFile::LibraryFile(std::string path) : path_(std::move(path)) {
    if (path_.find('/') == std::string::npos) return;
    // Opened without blocking, so that a FIFO cannot hold the host up here either.
    fd_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    problem_ = fd_ < 0 ? std::strerror(errno) : Problem(fd_, OwnHeader());
}

LibraryFile::~LibraryFile() {
    if (fd_ >= 0) close(fd_);
}

std::string LibraryFile::loadName() const { return fd_ < 0 ? path_ : "/proc/self/fd/" + std::to_string(fd_); }

}  // namespace dfa_host
