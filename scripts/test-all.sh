#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds both ABIs with warnings as errors and runs every test, then the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer and under ThreadSanitizer, then the fuzzer for
# a bounded time. Set DFA_FUZZ_SECONDS to fuzz longer (default 60).
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh test
jobs=$(nproc)

run_suite() {  # build directory, then configure options
    dir=$1
    shift
    echo "=== $dir: $*"
    cmake -S . -B "$dir" -DDFA_WERROR=ON -DDFA_BUILD_TESTS=ON "$@"
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest -j"$jobs" --output-on-failure)
}

run_suite build-test
run_suite build-test-i386 --toolchain cmake/toolchain-i386.cmake
# Every sanitizer report fails the run: recovery is off and these make the runtimes exit.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1
CC=clang CXX=clang++ run_suite build-test-asan -DDFA_SANITIZE=address,undefined
CC=clang CXX=clang++ run_suite build-test-tsan -DDFA_SANITIZE=thread

echo "=== build-fuzz: ${DFA_FUZZ_SECONDS:-60} s of libFuzzer"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDFA_WERROR=ON -DDFA_BUILD_TESTS=OFF -DDFA_FUZZ=ON \
    -DDFA_SANITIZE=address,undefined
cmake --build build-fuzz -j"$jobs" --target dfa_fuzz
mkdir -p build-fuzz/corpus
build-fuzz/dfa_fuzz -max_total_time="${DFA_FUZZ_SECONDS:-60}" -print_final_stats=1 build-fuzz/corpus fuzz/corpus
# Any failure above has stopped the script (set -e); reaching here means all five jobs passed.
echo "jobs: 5 passed, 0 failed"
