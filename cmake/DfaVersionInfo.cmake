# SPDX-License-Identifier: MIT
# Positions 2-5 of the version record, supplied by the build configuration and checked here
# so that a malformed value stops the configure rather than reaching the library.

# The output directory names the target: linux- and its processor (wasi-wasm32 for WebAssembly),
# 32-bit x86 as i386 whatever the toolchain calls it.
string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" _dfa_processor)
if(_dfa_processor MATCHES "^i[3-6]86$")
  set(_dfa_processor i386)
elseif(_dfa_processor STREQUAL "amd64")
  set(_dfa_processor x86_64)
endif()

# Empty values follow the project: the release number is the version's parts in two decimal
# places each after the major one (1.2.3 is 10203), so that no two versions share one.
set(DFA_RELEASE_NUMBER "" CACHE STRING "Release number of the product build (digits; empty: from the project version)")
set(DFA_MILESTONE "m1" CACHE STRING "Milestone of the build (\"m\" followed by its number)")
set(DFA_BUILD_NUMBER "1" CACHE STRING "Build number (digits)")
set(DFA_OUTPUT_DIR "" CACHE STRING
    "Name of the platform's output directory (no quote, backslash or control character; empty: linux-<processor>)")

if(DFA_RELEASE_NUMBER STREQUAL "")
  if(PROJECT_VERSION_MINOR GREATER 99 OR PROJECT_VERSION_PATCH GREATER 99)
    message(FATAL_ERROR "version ${PROJECT_VERSION}: minor and patch must stay below 100 for the "
                        "release number, or set DFA_RELEASE_NUMBER")
  endif()
  math(EXPR DFA_RELEASE_NUMBER_VALUE
       "${PROJECT_VERSION_MAJOR} * 10000 + ${PROJECT_VERSION_MINOR} * 100 + ${PROJECT_VERSION_PATCH}")
else()
  set(DFA_RELEASE_NUMBER_VALUE "${DFA_RELEASE_NUMBER}")
endif()
if(DFA_OUTPUT_DIR STREQUAL "")
  set(DFA_OUTPUT_DIR_VALUE "linux-${_dfa_processor}")
  if(_dfa_processor STREQUAL "wasm32")
    set(DFA_OUTPUT_DIR_VALUE "wasi-wasm32")  # no operating system: a module for a WebAssembly host
  endif()
else()
  set(DFA_OUTPUT_DIR_VALUE "${DFA_OUTPUT_DIR}")
endif()

function(_dfa_require_form variable regex form)
  if(NOT "${${variable}}" MATCHES "${regex}")
    message(FATAL_ERROR "${variable}='${${variable}}' is malformed: expected ${form}")
  endif()
endfunction()

if(NOT DFA_RELEASE_NUMBER STREQUAL "")
  _dfa_require_form(DFA_RELEASE_NUMBER "^[0-9]+$" "digits, e.g. 10000")
endif()
_dfa_require_form(DFA_MILESTONE "^m[0-9]+$" "\"m\" followed by digits, e.g. m1")
_dfa_require_form(DFA_BUILD_NUMBER "^[0-9]+$" "digits, e.g. 1")
# The value becomes a C string literal: no quote, backslash or control character.
string(ASCII 1 _dfa_first_control)
string(ASCII 31 _dfa_last_control)
string(ASCII 127 _dfa_delete)
if(DFA_OUTPUT_DIR MATCHES "[\"\\${_dfa_first_control}-${_dfa_last_control}${_dfa_delete}]")
  message(FATAL_ERROR "DFA_OUTPUT_DIR='${DFA_OUTPUT_DIR}' is malformed: expected a name without "
                      "quote, backslash or control characters")
endif()
