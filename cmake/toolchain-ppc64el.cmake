# SPDX-License-Identifier: MIT
# little-endian 64-bit POWER (ppc64el) with Debian's g++-powerpc64le-linux-gnu.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR ppc64le TRIPLET powerpc64le-linux-gnu QEMU qemu-ppc64le NATIVE_ON ppc64le)
