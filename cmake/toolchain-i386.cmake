# SPDX-License-Identifier: MIT
# 32-bit x86 build with the host's multilib gcc (Debian: g++-multilib).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# 64-bit libraries of the build machine must never be picked up.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

# Some kernels cannot execute 32-bit programs ("Exec format error"); run tests under qemu-i386
# there. The 32-bit dynamic loader is itself a 32-bit program, so asking it for its version
# tells whether this kernel runs them.
if(NOT DEFINED CACHE{DFA_I386_EMULATOR})
  set(_dfa_emulator "")
  execute_process(COMMAND /lib/ld-linux.so.2 --version RESULT_VARIABLE _dfa_rc
                  OUTPUT_QUIET ERROR_QUIET)
  if(NOT _dfa_rc EQUAL 0)
    find_program(_dfa_qemu qemu-i386)
    if(_dfa_qemu)
      set(_dfa_emulator "${_dfa_qemu}")
    else()
      message(WARNING "This kernel cannot run 32-bit programs and qemu-i386 is missing: "
                      "tests will not run (Debian: apt-get install qemu-user)")
    endif()
  endif()
  set(DFA_I386_EMULATOR "${_dfa_emulator}" CACHE STRING "Runs 32-bit test programs" FORCE)
endif()
if(DFA_I386_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${DFA_I386_EMULATOR}")
endif()
