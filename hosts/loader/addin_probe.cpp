// SPDX-License-Identifier: MIT
#include "addin_probe.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <thread>

#include "addin_loader.h"

extern char** environ;

namespace dfa_host {

namespace {

// How dfa-probe ends: it writes kDone to the report pipe once the add-in has done everything, then
// exits with 0. An add-in that ends the process itself, even with status 0, never gets it written.
constexpr char kDone = 'k';
constexpr int kThrew = 3;        // exit status: an exception left the add-in
constexpr int kOutOfMemory = 4;  // exit status: std::bad_alloc left the add-in
// Where dfa-probe finds the add-in's open file, after the report pipe.
constexpr int kFileFd = kProbeReportFd + 1;

std::string Why(int status, bool done) {
    if (WIFSIGNALED(status))
        return std::string("crashed (") + strsignal(WTERMSIG(status)) + ") in its handshake or first calls";
    if (WIFEXITED(status) && WEXITSTATUS(status) == kThrew) return "threw an exception in its handshake or first calls";
    if (WIFEXITED(status) && WEXITSTATUS(status) == kOutOfMemory) return "ran out of memory in its handshake or first calls";
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        return "exited with status " + std::to_string(WEXITSTATUS(status)) + " in its handshake or first calls";
    if (!done) return "ended the process (status 0) in its handshake or first calls";
    return {};
}

// Starts dfa-probe with the report pipe and the add-in's file as its descriptors 3 and 4, /dev/null
// as 0 to 2 and nothing else; 0 and errno when it cannot.
pid_t Spawn(const std::string& program, const LibraryFile& file, uint16_t language, int report) {
    // Above every descriptor the actions below write, so that none overwrites another's source.
    const int reportCopy = fcntl(report, F_DUPFD_CLOEXEC, 10);
    const int fileCopy = file.descriptor() < 0 ? -1 : fcntl(file.descriptor(), F_DUPFD_CLOEXEC, 10);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDWR, 0);
    posix_spawn_file_actions_adddup2(&actions, 0, 1);
    posix_spawn_file_actions_adddup2(&actions, 0, 2);
    posix_spawn_file_actions_adddup2(&actions, reportCopy, kProbeReportFd);
    if (fileCopy >= 0) posix_spawn_file_actions_adddup2(&actions, fileCopy, kFileFd);
    posix_spawn_file_actions_addclosefrom_np(&actions, kFileFd + 1);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);  // a group of its own, so that what the add-in starts goes with it
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const std::string load = fileCopy >= 0 ? "/proc/self/fd/" + std::to_string(kFileFd) : file.loadName();
    const std::string lang = std::to_string(language);
    char* argv[] = {const_cast<char*>("dfa-probe"), const_cast<char*>(load.c_str()), const_cast<char*>(lang.c_str()), nullptr};
    pid_t child = 0;
    const int error = reportCopy < 0 || (file.descriptor() >= 0 && fileCopy < 0)
                          ? errno
                          : posix_spawn(&child, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (reportCopy >= 0) close(reportCopy);
    if (fileCopy >= 0) close(fileCopy);
    errno = error;
    return error == 0 ? child : 0;
}

}  // namespace

std::string ProbeProgram() {
    // The module this code is linked into: a shared object names itself in its link map; the
    // main program does not, and is /proc/self/exe.
    Dl_info info;
    link_map* map = nullptr;
    std::filesystem::path module;
    if (dladdr1(reinterpret_cast<void*>(&ProbeProgram), &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) && map &&
        map->l_name && *map->l_name)
        module = map->l_name;
    else
        module = "/proc/self/exe";
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::canonical(module, ec).parent_path();
    const std::filesystem::path beside = dir / "dfa-probe";
    if (access(beside.c_str(), X_OK) == 0) return beside;
    return (dir / "../libexec/dfa/dfa-probe").lexically_normal();
}

int RunProbe(const std::string& load, uint16_t language, int report) {
    try {
        const Addin addin(load, language);
        for (const FunctionInfo& function : addin.functions())
            for (const double x : {0.0, 1.0, 45000.5, -1.0, 2958465.0})
                addin.call(function, std::array<double, kMaxInputs>{x, x + 40, 1.0});
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kThrew;
    }
    return write(report, &kDone, 1) == 1 ? 0 : 1;
}

std::string ProbeAddin(const LibraryFile& file, uint16_t language) {
    if (!file.problem().empty()) return {};  // not to be loaded at all: the host's load says why
    const std::string program = ProbeProgram();
    int channel[2];  // dfa-probe writes kDone to [1] once it has done everything
    if (pipe2(channel, O_CLOEXEC) != 0) return std::string("cannot start a process to try it in: ") + std::strerror(errno);
    const pid_t child = Spawn(program, file, language, channel[1]);
    const int spawnError = errno;
    close(channel[1]);
    if (child == 0) {
        close(channel[0]);
        return "cannot start " + program + " to try it in: " + std::strerror(spawnError);
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(kProbeSeconds);
    int status = 0;
    std::string problem;
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child) {
            char byte = 0;
            fcntl(channel[0], F_SETFL, O_NONBLOCK);
            problem = Why(status, read(channel[0], &byte, 1) == 1 && byte == kDone);
            break;
        }
        if (ended < 0 && errno != EINTR) {
            problem = std::string("lost the process it was tried in: ") + std::strerror(errno);
            break;
        }
        if (Clock::now() >= deadline) {
            kill(-child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            problem = "did not finish its handshake and first calls within " + std::to_string(kProbeSeconds) + " seconds";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(-child, SIGKILL);  // whatever the add-in left running in dfa-probe's group
    close(channel[0]);
    return problem;
}

}  // namespace dfa_host
