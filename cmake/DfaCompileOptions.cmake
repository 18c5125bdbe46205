# SPDX-License-Identifier: MIT
# Warnings, applied per target so that third-party code (GoogleTest) keeps its own flags, and
# sanitizers, applied to everything built. Hardening is the packager's (dpkg-buildflags).

# Every target of the project links dfa::warnings (PRIVATE), so that it sets its options the one
# way CMake carries usage requirements.
include(${CMAKE_CURRENT_LIST_DIR}/DfaFlags.cmake)
add_library(dfa_warnings INTERFACE)
add_library(dfa::warnings ALIAS dfa_warnings)
target_compile_options(dfa_warnings INTERFACE ${DFA_WARNING_OPTIONS}
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
