# SPDX-License-Identifier: MIT
# IBM Z, big-endian (s390x) with Debian's g++-s390x-linux-gnu.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR s390x TRIPLET s390x-linux-gnu QEMU qemu-s390x NATIVE_ON s390x)
