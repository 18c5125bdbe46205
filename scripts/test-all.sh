#!/bin/sh
# Builds both ABIs with warnings as errors and runs every test.
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
