# SPDX-License-Identifier: MIT
# 64-bit Arm (arm64) with Debian's g++-aarch64-linux-gnu.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR aarch64 TRIPLET aarch64-linux-gnu QEMU qemu-aarch64 NATIVE_ON aarch64)
