# SPDX-License-Identifier: MIT
# What every toolchain file shares: dfa_cross_toolchain(...) sets up one target.
#   PROCESSOR  CMAKE_SYSTEM_PROCESSOR of the target (its uname -m)
#   TRIPLET    the GNU triplet of Debian's cross compiler (g++-<triplet>); without it the build
#              machine's own gcc builds, with FLAGS
#   FLAGS      extra compiler and linker flags (e.g. -m32)
#   QEMU       the qemu-user binary that runs the target's programs
#   NATIVE_ON  build-machine processors whose kernels may run them directly
#   PROBE      a program of the target that runs when this machine can run them (default: the
#              cross runtime's libc.so.6, which prints its version)
macro(dfa_cross_toolchain)
  cmake_parse_arguments(_dfa "" "PROCESSOR;TRIPLET;FLAGS;QEMU" "NATIVE_ON;PROBE" ${ARGN})
  set(CMAKE_SYSTEM_NAME Linux)
  set(CMAKE_SYSTEM_PROCESSOR ${_dfa_PROCESSOR})
  set(_dfa_sysroot "")
  if(_dfa_TRIPLET)
    set(CMAKE_C_COMPILER ${_dfa_TRIPLET}-gcc)
    set(CMAKE_CXX_COMPILER ${_dfa_TRIPLET}-g++)
    set(CMAKE_LIBRARY_ARCHITECTURE ${_dfa_TRIPLET})
    set(_dfa_sysroot /usr/${_dfa_TRIPLET})
    set(CMAKE_FIND_ROOT_PATH ${_dfa_sysroot})
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
    # Headers of the build machine stay findable: clang's FuzzedDataProvider.h lives there.
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
    if(NOT _dfa_PROBE)
      set(_dfa_PROBE ${_dfa_sysroot}/lib/libc.so.6)
    endif()
  endif()
  foreach(_dfa_kind C CXX EXE_LINKER SHARED_LINKER MODULE_LINKER)
    set(CMAKE_${_dfa_kind}_FLAGS_INIT "${_dfa_FLAGS}")
  endforeach()

  # The target's programs run directly where the kernel can (the probe runs), else under qemu
  # with the cross runtime as the root of the dynamic loader and the libraries, its lib folders
  # searched first: where the machine also has the architecture's own C library through
  # multiarch (a cross package build installs it), the loader would otherwise mix the two
  # versions, and programs crash or hang.
  string(MAKE_C_IDENTIFIER "DFA_${_dfa_PROCESSOR}_EMULATOR" _dfa_emulator_variable)
  if(NOT DEFINED CACHE{${_dfa_emulator_variable}})
    cmake_host_system_information(RESULT _dfa_host_processor QUERY OS_PLATFORM)
    set(_dfa_emulator "")
    set(_dfa_rc 1)
    if(_dfa_host_processor IN_LIST _dfa_NATIVE_ON)
      execute_process(COMMAND ${_dfa_PROBE} RESULT_VARIABLE _dfa_rc OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(NOT _dfa_rc EQUAL 0)
      find_program(_dfa_qemu ${_dfa_QEMU})
      if(NOT _dfa_qemu)
        message(WARNING "This machine cannot run ${_dfa_PROCESSOR} programs and ${_dfa_QEMU} is "
                        "missing: tests will not run (Debian: apt-get install qemu-user)")
      elseif(_dfa_sysroot)
        set(_dfa_emulator "${_dfa_qemu};-L;${_dfa_sysroot};-E;LD_LIBRARY_PATH=/lib:/lib64")
      else()
        set(_dfa_emulator "${_dfa_qemu}")
      endif()
    endif()
    set(${_dfa_emulator_variable} "${_dfa_emulator}" CACHE STRING "Runs ${_dfa_PROCESSOR} test programs" FORCE)
  endif()
  if(${_dfa_emulator_variable})
    set(CMAKE_CROSSCOMPILING_EMULATOR "${${_dfa_emulator_variable}}")
  endif()
endmacro()
