# SPDX-License-Identifier: MIT
# Runs dfa-host once and compares its exit status, standard output and standard error.
# cmake -DHOST=... [-DEMULATOR=...] -DARGS=a|b [-DENV=VAR=value|...] [-DINPUT=file]
#       [-DOUTPUT_FILE=file] [-DEXPECTED=file] [-DOUTPUT=regex] [-DRC=n]
#       [-DERROR=regex [-DERRORS=lines|any]] -P run_host.cmake
# ERROR must match the start of standard error, which must have ERRORS lines (default 1; "any"
# when the usage follows).
if(NOT DEFINED RC)
  set(RC 0)
endif()
if(NOT DEFINED ERRORS)
  set(ERRORS 1)
endif()
string(REPLACE "|" ";" ARGS "${ARGS}")
string(REPLACE "|" ";" ENV "${ENV}")
set(redirect)
if(INPUT)
  list(APPEND redirect INPUT_FILE ${INPUT})
endif()
if(OUTPUT_FILE)
  list(APPEND redirect OUTPUT_FILE ${OUTPUT_FILE})
else()
  list(APPEND redirect OUTPUT_VARIABLE out)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ENV} ${EMULATOR} ${HOST} ${ARGS} ${redirect}
                ERROR_VARIABLE err RESULT_VARIABLE rc)
# The emulator's own report of a child that the add-in crashed is not dfa-host's output.
if(EMULATOR)
  string(REGEX REPLACE "qemu: uncaught target signal[^\n]*\n" "" err "${err}")
endif()
if(NOT rc STREQUAL RC)
  message(FATAL_ERROR "exit status ${rc}, expected ${RC}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(EXPECTED)
  file(READ ${EXPECTED} expected)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "output differs from ${EXPECTED}:\n${out}")
  endif()
endif()
if(DEFINED OUTPUT AND NOT out MATCHES "${OUTPUT}")
  message(FATAL_ERROR "output does not match '${OUTPUT}':\n${out}")
endif()
if(ERROR)
  string(REGEX MATCHALL "\n" lines "${err}")
  list(LENGTH lines count)
  if(NOT err MATCHES "^dfa-host: ${ERROR}" OR NOT (count EQUAL ERRORS OR ERRORS STREQUAL "any"))
    message(FATAL_ERROR "stderr is not ${ERRORS} line(s) starting 'dfa-host: ${ERROR}':\n${err}")
  endif()
endif()
