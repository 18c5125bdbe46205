# SPDX-License-Identifier: MIT
# 64-bit little-endian MIPS (mips64el) with Debian's g++-mips64el-linux-gnuabi64.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR mips64el TRIPLET mips64el-linux-gnuabi64 QEMU qemu-mips64el NATIVE_ON mips64)
