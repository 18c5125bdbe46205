# SPDX-License-Identifier: MIT
# The PostgreSQL extension's script of its current version (default_version in dfa.control) is
# released: what the hosts' function catalog makes now must be that script, byte for byte.
#   cmake -DSOURCE=<checkout> -DOUT=<scratch file> -P postgresql_scripts.cmake
file(STRINGS ${SOURCE}/hosts/postgresql/dfa.control _control REGEX "^default_version")
string(REGEX REPLACE "^default_version = '([0-9.]+)'$" "\\1" _version "${_control}")
execute_process(COMMAND ${CMAKE_COMMAND} -DOUT=${OUT} -P ${SOURCE}/cmake/DfaPostgresScripts.cmake RESULT_VARIABLE _failed)
if(_failed)
  message(FATAL_ERROR "cmake/DfaPostgresScripts.cmake failed")
endif()
file(READ ${OUT} _made)
file(READ ${SOURCE}/hosts/postgresql/dfa--${_version}.sql _released)
if(NOT _made STREQUAL _released)
  message(FATAL_ERROR "the function catalog no longer makes hosts/postgresql/dfa--${_version}.sql, which is released: "
                      "bump default_version and add an update script")
endif()
