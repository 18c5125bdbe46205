# SPDX-License-Identifier: MIT
# Warnings and hardening, applied per target so that third-party code (GoogleTest) keeps its own
# flags; sanitizers, applied to everything built; and the documentation's compression.

# Every target of the project links dfa::warnings (PRIVATE), so that it sets its options the one
# way CMake carries usage requirements.
add_library(dfa_warnings INTERFACE)
add_library(dfa::warnings ALIAS dfa_warnings)
target_compile_options(dfa_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  # gcc 12 warns falsely on "text" + std::string at -O2 (its bug 105329).
  $<$<AND:$<COMPILE_LANG_AND_ID:CXX,GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>
  $<$<BOOL:${DFA_WERROR}>:-Werror>)

# Sanitizers apply to every target of the build, GoogleTest included, so that the whole
# process is instrumented.
if(DFA_SANITIZE)
  if(NOT DFA_SANITIZE MATCHES "^(address|undefined|thread)(,(address|undefined|thread))*$")
    message(FATAL_ERROR "DFA_SANITIZE='${DFA_SANITIZE}': expected a comma-separated list of "
                        "address, undefined, thread")
  endif()
  add_compile_options(-fsanitize=${DFA_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${DFA_SANITIZE})
endif()

# What Debian hardens its binaries with: dfa_target_hardening(target [NO_STACK_PROTECTOR]).
# _FORTIFY_SOURCE checks string copies and needs optimising; sanitizers have checks of their own.
function(dfa_target_hardening target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "NO_STACK_PROTECTOR" "" "")
  if(DFA_SANITIZE OR DFA_FUZZ)
    return()
  endif()
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  if(NOT arg_NO_STACK_PROTECTOR)
    target_compile_options(${target} PRIVATE -fstack-protector-strong)
  endif()
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "STATIC_LIBRARY")
    target_link_options(${target} PRIVATE -Wl,-z,relro -Wl,-z,now)
  endif()
endfunction()

# Documentation compressed as Debian wants it (the changelog, the manual page): best
# compression, no name or time stamp in the header.
find_program(DFA_GZIP gzip REQUIRED)
function(dfa_gzip source output)
  add_custom_command(OUTPUT ${output} COMMAND ${DFA_GZIP} -9nc ${source} > ${output} DEPENDS ${source})
endfunction()
