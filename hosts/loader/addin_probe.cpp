// SPDX-License-Identifier: MIT
#include "addin_probe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "addin_loader.h"

namespace dfa_host {

namespace {

// How the child ends: it writes kDone to the pipe once the add-in has done everything, then exits
// with 0. An add-in that ends the process itself, even with status 0, never gets the pipe written.
constexpr char kDone = 'k';
constexpr int kThrew = 3;  // exit status: an exception left the add-in

// What the child does: everything a host does at start-up and a first call of each function on
// dates of every kind. It leaves without running the parent's exit handlers, and nothing the
// add-in throws reaches the code the child was forked from.
[[noreturn]] void RunChild(const std::string& path, uint16_t language, int done) {
    try {
        const Addin addin(path, language);
        for (const FunctionInfo& function : addin.functions())
            for (const double x : {0.0, 1.0, 45000.5, -1.0, 2958465.0})
                addin.call(function, std::array<double, kMaxInputs>{x, x + 40, 1.0});
    } catch (...) {
        _exit(kThrew);
    }
    const ssize_t written = write(done, &kDone, 1);
    _exit(written == 1 ? 0 : 1);
}

std::string Why(int status, bool done) {
    if (WIFSIGNALED(status))
        return std::string("crashed (") + strsignal(WTERMSIG(status)) + ") in its handshake or first calls";
    if (WIFEXITED(status) && WEXITSTATUS(status) == kThrew) return "threw an exception in its handshake or first calls";
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        return "exited with status " + std::to_string(WEXITSTATUS(status)) + " in its handshake or first calls";
    if (!done) return "ended the process (status 0) in its handshake or first calls";
    return {};
}

}  // namespace

std::string ProbeAddin(const std::string& path, uint16_t language) {
    int channel[2];  // the child writes kDone to [1] once it has done everything
    if (pipe2(channel, O_CLOEXEC) != 0) return std::string("cannot start a process to try it in: ") + std::strerror(errno);
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]), close(channel[1]);
        return std::string("cannot start a process to try it in: ") + std::strerror(errno);
    }
    if (child == 0) {
        // A process group of its own, so that whatever the add-in starts goes with it.
        setpgid(0, 0);
        close(channel[0]);
        RunChild(path, language, channel[1]);
    }
    setpgid(child, child);  // also here: the child may not have run yet when the group is killed
    close(channel[1]);
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
    kill(-child, SIGKILL);  // whatever the add-in left running in the child's group
    close(channel[0]);
    return problem;
}

}  // namespace dfa_host
