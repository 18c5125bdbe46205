// SPDX-License-Identifier: MIT
// What each worksheet call costs a host: every function called through its dlsym'd pointer over
// 65,536 random inputs, next to the call floor (a function of the same shape that only floors
// its argument) and to the step-by-step reference build of the add-in. Prints Google
// Benchmark's table, then the ratios.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "calendar.h"
#include "dfa.h"

namespace {

constexpr std::size_t kInputs = 1 << 16;  // too many for branch predictors to learn the sequence
using dfa::kNullDate;

struct InputSet {
    std::string name;
    std::vector<double> first, second;  // serial dates with a time of day
};

InputSet MakeInputs(const char* name, int32_t firstDay, int32_t lastDay, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int32_t> day(firstDay, lastDay);
    std::uniform_real_distribution<double> time(0.0, 0.999);
    InputSet set{name, {}, {}};
    for (std::size_t i = 0; i < kInputs; ++i) {
        set.first.push_back(day(rng) - kNullDate + time(rng));
        set.second.push_back(day(rng) - kNullDate + time(rng));
    }
    return set;
}

void* Load(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "%s\n", dlerror());
        std::exit(2);
    }
    return handle;
}

template <typename Fn>
Fn Resolve(void* handle, const char* name) {
    auto fn = reinterpret_cast<Fn>(dlsym(handle, name));
    if (!fn) {
        std::fprintf(stderr, "missing %s\n", name);
        std::exit(2);
    }
    return fn;
}

void Handshake(void* addin) {
    uint16_t count = 0;
    Resolve<dfa_GetFunctionCount_fn>(addin, "GetFunctionCount")(&count);
}

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void RegisterOneDate(const std::string& name, dfa_DateFunction_fn fn, const InputSet& set) {
    benchmark::RegisterBenchmark(name.c_str(), [fn, &set](benchmark::State& state) {
        std::size_t i = 0;
        double result = 0;
        for (auto _ : state) {
            fn(&result, &set.first[i++ & (kInputs - 1)]);
            benchmark::DoNotOptimize(result);
        }
    })->ComputeStatistics("min", Fastest);
}

void RegisterDiff(const std::string& name, dfa_DiffFunction_fn fn, const InputSet& set, double mode) {
    benchmark::RegisterBenchmark(name.c_str(), [fn, &set, mode](benchmark::State& state) {
        std::size_t i = 0;
        double result = 0;
        for (auto _ : state) {
            const std::size_t k = i++ & (kInputs - 1);
            fn(&result, &set.first[k], &set.second[k], &mode);
            benchmark::DoNotOptimize(result);
        }
    })->ComputeStatistics("min", Fastest);
}

// Collects nanoseconds per call by name ("function/set[/step]") and prints the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions, the fastest stands for the benchmark (on a shared machine noise only
        // ever adds time); without, the single run.
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                ns_[run.run_name.str()] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Iteration && run.repetitions <= 1)
                ns_[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
    // A filter may leave parts of the table unmeasured: those cells stay blank, and rows with
    // nothing measured are left out.
    void Finalize() override {
        ConsoleReporter::Finalize();
        const bool baseline = std::any_of(ns_.begin(), ns_.end(), [](const auto& kv) { return kv.first.ends_with("/baseline"); });
        std::printf("\n%-26s %9s %6s %9s %6s %9s %12s %12s%s\n", "ns per call / ratio", "typical", "floor", "slowest",
                    "floor", "slow/typ", "step typical", "step slowest",
                    baseline ? "  baseline typical  floor  slowest  floor" : "");
        for (const auto& [name, floor] : rows_) {
            const auto typical = find(name + "/typical"), slowest = find(name + "/slowest");
            const auto stepTypical = find(name + "/typical/step"), stepSlowest = find(name + "/slowest/step");
            if (!typical && !slowest && !stepTypical && !stepSlowest) continue;
            std::printf("%-26s", name.c_str());
            Cell(typical, 9, 2);
            Cell(Ratio(typical, find(floor + "/typical")), 6, 2);
            Cell(slowest, 9, 2);
            Cell(Ratio(slowest, find(floor + "/slowest")), 6, 2);
            Cell(Ratio(slowest, typical), 9, 2);
            Cell(stepTypical, 12, 2);
            Cell(stepSlowest, 12, 0);
            if (baseline) {
                const auto baseTypical = find(name + "/typical/baseline"), baseSlowest = find(name + "/slowest/baseline");
                Cell(baseTypical, 18, 2);
                Cell(Ratio(baseTypical, find(floor + "/typical")), 6, 2);
                Cell(baseSlowest, 8, 2);
                Cell(Ratio(baseSlowest, find(floor + "/slowest")), 6, 2);
            }
            std::printf("\n");
        }
    }
    void AddRow(const std::string& name, const std::string& floor) { rows_.emplace_back(name, floor); }

private:
    std::optional<double> find(const std::string& key) const {
        const auto it = ns_.find(key);
        return it == ns_.end() ? std::nullopt : std::optional<double>(it->second);
    }
    static std::optional<double> Ratio(std::optional<double> a, std::optional<double> b) {
        return a && b ? std::optional<double>(*a / *b) : std::nullopt;
    }
    static void Cell(std::optional<double> value, int width, int precision) {
        if (value)
            std::printf(" %*.*f", width, precision, *value);
        else
            std::printf(" %*s", width, "");
    }

    std::map<std::string, double> ns_;
    std::vector<std::pair<std::string, std::string>> rows_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    void* addin = Load(DFA_LIBRARY_PATH);
    void* before = Load(DFA_STEP_LIBRARY_PATH);
    void* floorLib = Load(DFA_FLOOR_LIBRARY_PATH);
    Handshake(addin);
    Handshake(before);
    // Another build of the add-in (an earlier version, say), measured in the same run.
    std::vector<std::pair<void*, const char*>> libraries = {{addin, ""}, {before, "/step"}};
    if (const char* baseline = std::getenv("DFA_BENCH_BASELINE")) {
        libraries.emplace_back(Load(baseline), "/baseline");
        Handshake(libraries.back().first);
    }

    // Typical dates: 1900-2100. Slowest: the last 15,527 days, where the step-by-step
    // conversion corrects its first guess of the year tens of thousands of times.
    static const InputSet sets[] = {
        MakeInputs("typical", dfa::DateToDays(1, 1, 1900), dfa::DateToDays(31, 12, 2100), 1),
        MakeInputs("slowest", 365 * 65536, dfa::kLastDay, 2),
    };
    RatioReporter reporter;
    // The add-in's functions, from the hosts' catalog.
    std::vector<const char*> oneDate, diffs;
#define DFA_CATALOG_ENTRY(entry, kind, ...) (std::string_view(#kind) == "DIFFERENCE" ? diffs : oneDate).push_back(#entry);
#include "function_catalog.def"
#undef DFA_CATALOG_ENTRY
    for (const InputSet& set : sets) {
        RegisterOneDate("call floor (1 date)/" + set.name, Resolve<dfa_DateFunction_fn>(floorLib, "CallFloor1"), set);
        RegisterDiff("call floor (2 dates)/" + set.name, Resolve<dfa_DiffFunction_fn>(floorLib, "CallFloor3"), set, 0);
        for (const char* entry : oneDate)
            for (auto [lib, suffix] : libraries)
                RegisterOneDate(std::string(entry) + "/" + set.name + suffix, Resolve<dfa_DateFunction_fn>(lib, entry), set);
        for (const char* entry : diffs)
            for (double mode : {0.0, 1.0})
                for (auto [lib, suffix] : libraries)
                    RegisterDiff(std::string(entry) + (mode == 1 ? " iso" : "") + "/" + set.name + suffix,
                                 Resolve<dfa_DiffFunction_fn>(lib, entry), set, mode);
    }
    reporter.AddRow("call floor (1 date)", "call floor (1 date)");
    reporter.AddRow("call floor (2 dates)", "call floor (2 dates)");
    for (const char* entry : oneDate) reporter.AddRow(entry, "call floor (1 date)");
    for (const char* entry : diffs) {
        reporter.AddRow(entry, "call floor (2 dates)");
        reporter.AddRow(std::string(entry) + " iso", "call floor (2 dates)");
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
