#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the 64-bit optimised library and the benchmark, and runs it: each benchmark repeated,
# repetitions interleaved at random so that a noisy moment does not land on one function, the
# fastest reported. Extra arguments go to Google Benchmark (e.g. --benchmark_filter=typical);
# DFA_BENCH_BASELINE=path/to/libdfa.so also measures another build of the add-in in the same run.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDFA_BUILD_TESTS=OFF -DDFA_BUILD_BENCHMARKS=ON
cmake --build build-bench -j"$(nproc)" --target dfa_bench
build-bench/dfa_bench --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true --benchmark_min_time=0.1 "$@"
