// SPDX-License-Identifier: MIT
// Hosts refuse, with one line naming the file and the fault, a library file that the dynamic
// loader would crash or hang on, or that was built for another processor.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <elf.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "addin_loader.h"

namespace {

namespace fs = std::filesystem;

// Files beside the library: a temporary directory may be mounted noexec.
struct Scratch {
    inline static int count = 0;
    fs::path path = fs::path(DFA_LIBRARY_PATH).parent_path() /
                    ("library-file-test-" + std::to_string(getpid()) + "-" + std::to_string(count++));
    ~Scratch() { fs::remove(path); }
    void write(const std::vector<char>& bytes) const {
        fs::remove(path);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string error() const { return dfa_host::Addin(path.string(), 9).error(); }
};

std::vector<char> Library() {
    std::ifstream in(DFA_LIBRARY_PATH, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(LibraryFile, EveryTruncationIsRefused) {
    const std::vector<char> library = Library();
    const Scratch scratch;
    // Cut inside the header, the program headers and each loadable segment; the sections that
    // follow the last segment are of no concern to the loader.
    for (std::size_t size = 0; size < library.size(); size += 997) {
        scratch.write({library.begin(), library.begin() + static_cast<std::ptrdiff_t>(size)});
        const std::string error = scratch.error();
        if (error.empty()) continue;  // every loadable byte is there
        EXPECT_EQ(error.find("cannot load " + scratch.path.string() + ": "), 0u) << error;
        EXPECT_TRUE(error.find("is truncated") != std::string::npos || error.find("is not an ELF file") != std::string::npos)
            << size << ": " << error;
    }
}

TEST(LibraryFile, ForeignProcessorsFifosAndOtherFilesAreNamed) {
    std::vector<char> library = Library();
    const Scratch scratch;
    const uint16_t other = reinterpret_cast<const Elf64_Ehdr*>(library.data())->e_machine == EM_AARCH64 ? EM_X86_64 : EM_AARCH64;
    library[18] = static_cast<char>(other & 0xFF), library[19] = static_cast<char>(other >> 8);  // e_machine, little-endian
    if (library[EI_DATA] == ELFDATA2MSB) std::swap(library[18], library[19]);
    scratch.write(library);
    EXPECT_NE(scratch.error().find(other == EM_AARCH64 ? ": is a library for aarch64; this host runs " : ": is a library for x86-64"),
              std::string::npos) << scratch.error();
    scratch.write({'n', 'o', 't', ' ', 'E', 'L', 'F'});
    EXPECT_NE(scratch.error().find(": is not an ELF file"), std::string::npos) << scratch.error();
    fs::remove(scratch.path);
    ASSERT_EQ(mkfifo(scratch.path.c_str(), 0600), 0);
    EXPECT_NE(scratch.error().find(": is not a regular file"), std::string::npos) << scratch.error();
}

}  // namespace

// What a host checked is what it loads: a file put in the checked one's place before the load
// (here a library cut short, which the loader would fault on) is not the one loaded.
TEST(LibraryFile, TheCheckedFileIsTheOneLoaded) {
    const std::vector<char> library = Library();
    const Scratch scratch, cut;
    scratch.write(library);
    const dfa_host::LibraryFile file(scratch.path.string());
    ASSERT_EQ(file.problem(), "");
    cut.write({library.begin(), library.begin() + static_cast<std::ptrdiff_t>(library.size() / 2)});
    fs::rename(cut.path, scratch.path);
    const dfa_host::Addin addin(file, 9);
    ASSERT_TRUE(addin.ok()) << addin.error();
    EXPECT_EQ(addin.functions().size(), 7u);
}
