# SPDX-License-Identifier: MIT
# How the add-in's sources compile wherever they go, and the project's warnings, written once.
# This CMake project takes them from here (DfaCompileOptions.cmake, addin/datefunc), and so do the
# builds that are none of it: the Python package's CMake project includes this file, and
# PostgreSQL's PGXS Makefile asks `cmake -DPRINT=ADDIN -P DfaFlags.cmake` (or WARNING).
set(DFA_ADDIN_OPTIONS -fno-exceptions -fno-rtti -fno-threadsafe-statics)
set(DFA_WARNING_OPTIONS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion)

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED PRINT)
  list(JOIN DFA_${PRINT}_OPTIONS " " _dfa_flags)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${_dfa_flags}")
endif()
