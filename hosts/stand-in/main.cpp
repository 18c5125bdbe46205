// SPDX-License-Identifier: MIT
// dfa-host: stands in for a spreadsheet host. Loads libdfa.so, runs the registration handshake
// and evaluates worksheet functions by their registered entry names.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>

#include "addin_loader.h"
#include "addin_probe.h"
#include "commands.h"
#include "options.h"
#include "printable.h"
#include "report.h"

namespace {

// libdfa.so beside the executable (a build tree), else where the installed tree keeps it.
std::string DefaultLibraryPath() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return DFA_HOST_INSTALLED_LIBRARY;
    const auto beside = exe.parent_path() / "libdfa.so";
    if (std::filesystem::exists(beside, ec)) return beside.string();
    return (exe.parent_path() / DFA_HOST_LIBRARY_FROM_BINDIR).lexically_normal().string();
}

int Run(int argc, char** argv) {
    using namespace dfa_host;
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.options) return parsed.status;
    const Options& options = *parsed.options;

    const LibraryFile file(options.libPath.empty() ? DefaultLibraryPath() : options.libPath);
    // check tries the add-in in a process of its own before this one loads the same file: an
    // add-in that hangs or crashes in its handshake or first calls is then reported instead of followed.
    if (options.command == "check") {
        if (const std::string problem = ProbeAddin(file, options.language); !problem.empty()) {
            Report("the add-in " + PrintablePath(file.path()) + " " + problem);
            return kExitFailure;
        }
    }
    const Addin addin(file, options.language);
    if (!addin.ok()) {
        Report(addin.error());
        return kExitFailure;
    }
    // A host that cannot call every function the add-in registers says so rather than hide it.
    for (const std::string& problem : addin.problems()) Report(problem);
    if (!addin.problems().empty()) return kExitFailure;

    if (options.command == "check") {
        std::printf("ok: %zu functions\n", addin.functions().size());
        return FinishOutput();
    }
    if (options.command == "list") return List(addin);
    if (options.command == "info") return Info(addin);
    return Call(addin, options.args);
}

}  // namespace

int main(int argc, char** argv) {
    // Memory may run out anywhere (a huge argument, a flood of problems), and an add-in may throw:
    // the results computed so far are written, then one line says why the rest is missing.
    const char* why = nullptr;
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        why = "out of memory";
    } catch (const std::exception& e) {
        why = e.what();
    } catch (...) {
        why = "the add-in threw an exception";  // nothing of dfa-host's throws anything else
    }
    std::fflush(stdout);
    std::fprintf(stderr, "dfa-host: stopped: %s\n", why);
    return dfa_host::kExitFailure;
}
