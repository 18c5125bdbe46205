# SPDX-License-Identifier: MIT
# 32-bit little-endian MIPS (mipsel) with Debian's g++-mipsel-linux-gnu.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR mipsel TRIPLET mipsel-linux-gnu QEMU qemu-mipsel NATIVE_ON mips64 mips)
