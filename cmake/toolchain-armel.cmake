# SPDX-License-Identifier: MIT
# 32-bit Arm, soft-float ABI (armel) with Debian's g++-arm-linux-gnueabi.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR armv5tel TRIPLET arm-linux-gnueabi QEMU qemu-arm NATIVE_ON aarch64 armv7l armv5tel)
