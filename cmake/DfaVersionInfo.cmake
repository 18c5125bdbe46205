# SPDX-License-Identifier: MIT
# Positions 2-5 of the version record, supplied by the build configuration and checked here
# so that a malformed value stops the configure rather than reaching the library.

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_dfa_default_output_dir "linux-i386")
else()
  set(_dfa_default_output_dir "linux-${CMAKE_SYSTEM_PROCESSOR}")
endif()

set(DFA_RELEASE_NUMBER "${PROJECT_VERSION_MAJOR}${PROJECT_VERSION_MINOR}${PROJECT_VERSION_PATCH}"
    CACHE STRING "Release number of the product build (digits)")
set(DFA_MILESTONE "m1" CACHE STRING "Milestone of the build (\"m\" followed by its number)")
set(DFA_BUILD_NUMBER "1" CACHE STRING "Build number (digits)")
set(DFA_OUTPUT_DIR "${_dfa_default_output_dir}" CACHE STRING
    "Name of the platform's output directory (no quote, backslash or control character)")

function(_dfa_require_form variable regex form)
  if(NOT "${${variable}}" MATCHES "${regex}")
    message(FATAL_ERROR "${variable}='${${variable}}' is malformed: expected ${form}")
  endif()
endfunction()

_dfa_require_form(DFA_RELEASE_NUMBER "^[0-9]+$" "digits, e.g. 100")
_dfa_require_form(DFA_MILESTONE "^m[0-9]+$" "\"m\" followed by digits, e.g. m1")
_dfa_require_form(DFA_BUILD_NUMBER "^[0-9]+$" "digits, e.g. 1")
# The value becomes a C string literal: no quote, backslash or control character.
function(_dfa_require_plain_name variable)
  set(value "${${variable}}")
  set(bad FALSE)
  if(value STREQUAL "" OR value MATCHES "[\"\\]")
    set(bad TRUE)
  endif()
  foreach(code RANGE 1 31)
    string(ASCII ${code} char)
    string(FIND "${value}" "${char}" pos)
    if(NOT pos EQUAL -1)
      set(bad TRUE)
    endif()
  endforeach()
  string(ASCII 127 del)
  string(FIND "${value}" "${del}" pos)
  if(bad OR NOT pos EQUAL -1)
    message(FATAL_ERROR "${variable}='${value}' is malformed: expected a non-empty name without "
                        "quote, backslash or control characters")
  endif()
endfunction()
_dfa_require_plain_name(DFA_OUTPUT_DIR)
