# SPDX-License-Identifier: MIT
# 32-bit x86 with the build machine's gcc and its 32-bit runtime (Debian: g++-12-multilib, which
# unlike g++-multilib installs beside the cross compilers). That package brings no
# /usr/include/asm for -m32; the 64-bit headers of that name serve. The probe is the 32-bit
# dynamic loader, itself a 32-bit program.
include(${CMAKE_CURRENT_LIST_DIR}/DfaCrossToolchain.cmake)
dfa_cross_toolchain(PROCESSOR i686 FLAGS "-m32 -idirafter /usr/include/x86_64-linux-gnu" QEMU qemu-i386
                    NATIVE_ON x86_64 i686 PROBE /lib/ld-linux.so.2 --version)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# 64-bit libraries of the build machine must never be picked up.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
