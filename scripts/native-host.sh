#!/bin/sh
# SPDX-License-Identifier: MIT
# Prints the absolute path of the native dfa-host that the hosts' tests hold their results
# against: DFA_HOST, or build/dfa-host, built there if missing (libdfa.so lies beside it).
set -eu
cd "$(dirname "$0")/.."
host=${DFA_HOST:-build/dfa-host}
if [ ! -x "$host" ]; then
    cmake -S . -B build -DDFA_BUILD_TESTS=OFF >/dev/null && cmake --build build -j"$(nproc)" --target dfa-host >/dev/null
fi
echo "$(cd "$(dirname "$host")" && pwd)/$(basename "$host")"
