# SPDX-License-Identifier: MIT
# 32-bit Arm, hard-float ABI (armhf) with Debian's g++-arm-linux-gnueabihf.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR armv7l TRIPLET arm-linux-gnueabihf QEMU qemu-arm NATIVE_ON aarch64 armv7l)
