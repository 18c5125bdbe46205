# SPDX-License-Identifier: MIT
# Builds libdfa.so twice, in two directories, with one SOURCE_DATE_EPOCH and the settings of the
# build under test ("|"-separated -D options); the files must match.
# cmake -DSOURCE=... -DWORK=... -DCC=... -DCXX=... [-DTOOLCHAIN=...] [-DSETTINGS=...] -P reproducible_build.cmake
set(ENV{SOURCE_DATE_EPOCH} 1700000000)
set(toolchain_option)
if(TOOLCHAIN)
  set(toolchain_option --toolchain ${TOOLCHAIN})
else()
  set(toolchain_option -DCMAKE_C_COMPILER=${CC} -DCMAKE_CXX_COMPILER=${CXX})
endif()
string(REPLACE "|" ";" settings "${SETTINGS}")
file(REMOVE_RECURSE ${WORK})
foreach(dir first second/nested)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/${dir} ${toolchain_option} ${settings}
                          -DDFA_BUILD_TESTS=OFF -DDFA_BUILD_GNUMERIC=OFF COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/${dir} --target dfa
                  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/first/libdfa.so ${WORK}/second/nested/libdfa.so
                RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "two builds with SOURCE_DATE_EPOCH=$ENV{SOURCE_DATE_EPOCH} differ")
endif()
file(SHA256 ${WORK}/first/libdfa.so hash)
message(STATUS "identical libdfa.so, sha256 ${hash}")
file(REMOVE_RECURSE ${WORK})
