// SPDX-License-Identifier: MIT
// Hosts may handshake or switch language while worksheet functions run on other threads. This is
// a smoke test for ThreadSanitizer, which reports any unsynchronised access to the add-in's state
// (the TSan build of scripts/test-all.sh); it checks no values, which a race need not change.
#include <atomic>
#include <thread>
#include <vector>

#include "loaded_addin.h"

namespace {

using dfa_test::LoadedAddin;

TEST(ThreadSanitizerSmoke, WorksheetCallsDuringHandshakeAndLanguageChanges) {
    LoadedAddin addin(/*fresh=*/true);
    const auto daysInYear = addin.get<dfa_DateFunction_fn>("QvDate_DaysInYear");
    const auto weeks = addin.get<dfa_DiffFunction_fn>("QvDate_GetDiffWeeks");
    const auto getCount = addin.get<dfa_GetFunctionCount_fn>("GetFunctionCount");
    const auto setLanguage = addin.get<dfa_SetLanguage_fn>("SetLanguage");

    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                double result = 0, serial = 0, later = 14, mode = 0;
                daysInYear(&result, &serial);
                weeks(&result, &serial, &later, &mode);
            }
        });
    threads.emplace_back([&] {
        for (uint16_t count = 0, language = 0; !stop; ++language) {
            getCount(&count);
            setLanguage(&language);
        }
    });
    for (int t = 0; t < 3; ++t) threads[static_cast<std::size_t>(t)].join();
    stop = true;
    threads.back().join();
}

}  // namespace
