// SPDX-License-Identifier: MIT
#include "addin_probe.h"

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

// What the child does: everything a host does at start-up and a first call of each function on
// dates of every kind. It leaves without running the parent's exit handlers.
[[noreturn]] void RunChild(const std::string& path, uint16_t language) {
    const Addin addin(path, language);
    for (const FunctionInfo& function : addin.functions())
        for (const double x : {0.0, 1.0, 45000.5, -1.0, 2958465.0})
            addin.call(function, std::array<double, kMaxInputs>{x, x + 40, 1.0});
    _exit(0);
}

std::string Why(int status) {
    if (WIFSIGNALED(status))
        return std::string("crashed (") + strsignal(WTERMSIG(status)) + ") in its handshake or first calls";
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        return "exited with status " + std::to_string(WEXITSTATUS(status)) + " in its handshake or first calls";
    return {};
}

}  // namespace

std::string ProbeAddin(const std::string& path, uint16_t language) {
    const pid_t child = fork();
    if (child < 0) return std::string("cannot start a process to try it in: ") + std::strerror(errno);
    if (child == 0) RunChild(path, language);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(kProbeSeconds);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) return Why(status);
        if (done < 0 && errno != EINTR) return std::string("lost the process it was tried in: ") + std::strerror(errno);
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(child, SIGKILL);
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return "did not finish its handshake and first calls within " + std::to_string(kProbeSeconds) + " seconds";
}

}  // namespace dfa_host
