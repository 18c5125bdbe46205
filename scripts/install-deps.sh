#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages that a job needs (run as root); does nothing when all are there.
#   install-deps.sh build   compiler and CMake: build the library and dfa-host
#   install-deps.sh test    also both ABIs' toolchains, GoogleTest, clang (sanitizers, fuzzing),
#                           Google Benchmark and the XML parser the tests use
set -eu
packages="cmake make g++ binutils"
if [ "${1:-build}" = test ]; then
    packages="$packages googletest g++-multilib libc6-dev-i386 qemu-user libexpat1-dev \
clang libclang-rt-14-dev libbenchmark-dev"
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    # Another install may hold the package manager's lock: wait for it rather than fail.
    wait="-o DPkg::Lock::Timeout=600"
    apt-get $wait update -qq
    DEBIAN_FRONTEND=noninteractive apt-get $wait install -y -qq --no-install-recommends $missing
fi
