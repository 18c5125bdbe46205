# SPDX-License-Identifier: MIT
# Checks that libdfa.so is clean to load: exactly its entry points exported, no C++ runtime,
# no static constructors, nothing needed but libc, and $ORIGIN first on its run-time path.
# The entry points are the functions that the public header declares with DFA_API.
# cmake -DLIB=... -DHEADER=.../dfa.h -DNM=... -DREADELF=... -P check_library.cmake
file(READ ${HEADER} header)
string(REGEX MATCHALL "\nDFA_API[^;(]*[ *]([A-Za-z_0-9]+)\\(" declarations "${header}")
set(expected "")
foreach(declaration IN LISTS declarations)
  string(REGEX MATCH "([A-Za-z_0-9]+)\\($" name "${declaration}")
  list(APPEND expected ${CMAKE_MATCH_1})
endforeach()
list(SORT expected)
if(NOT expected)
  message(FATAL_ERROR "${HEADER} declares no entry points")
endif()

function(run out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(problems "")

run(defined ${NM} -D --defined-only --format=posix ${LIB})
string(REGEX MATCHALL "(^|\n)[^ \n]+" names "${defined}")
list(TRANSFORM names STRIP)
list(SORT names)
if(NOT names STREQUAL expected)
  list(APPEND problems "exports are [${names}], expected [${expected}]")
endif()

run(undefined ${NM} -D --undefined-only ${LIB})
string(REPLACE "__cxa_finalize" "" undefined "${undefined}")  # libc's, in every shared object
if(undefined MATCHES "(_Z|__cxa_|__gxx_|GLIBCXX|CXXABI)[^\n]*")
  list(APPEND problems "needs the C++ runtime: ${CMAKE_MATCH_0}")
endif()

run(symbols ${NM} ${LIB})
if(symbols MATCHES "_GLOBAL__sub_I[^\n]*")
  list(APPEND problems "has a static constructor: ${CMAKE_MATCH_0}")
endif()

run(dynamic ${READELF} -d ${LIB})
string(REGEX MATCHALL "\\(NEEDED\\)[^[]*\\[[^]]+\\]" needed "${dynamic}")
foreach(entry IN LISTS needed)
  if(NOT entry MATCHES "\\[libc\\.so\\.6\\]$")
    list(APPEND problems "needs ${entry}")
  endif()
endforeach()
if(NOT dynamic MATCHES "\\(RUNPATH\\)[^[]*\\[\\$ORIGIN[]:]")
  list(APPEND problems "the first run-time search path is not $ORIGIN")
endif()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${LIB}:\n  ${text}")
endif()
message(STATUS "${LIB}: ${names}")
