# SPDX-License-Identifier: MIT
# 64-bit RISC-V (riscv64) with Debian's g++-riscv64-linux-gnu.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR riscv64 TRIPLET riscv64-linux-gnu QEMU qemu-riscv64 NATIVE_ON riscv64)
