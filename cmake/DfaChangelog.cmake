# SPDX-License-Identifier: MIT
# The version is written once, in debian/changelog's newest entry: the upstream version, before
# the Debian revision.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../debian/changelog _dfa_head LIMIT_COUNT 1)
if(NOT _dfa_head MATCHES "^dfa \\(([0-9]+\\.[0-9]+\\.[0-9]+)-[^)]+\\)")
  message(FATAL_ERROR "debian/changelog: the first line '${_dfa_head}' has no version N.N.N-R")
endif()
set(DFA_CHANGELOG_VERSION ${CMAKE_MATCH_1})
# The manual page's date: the day of SOURCE_DATE_EPOCH (which dpkg-buildpackage takes from the
# changelog's newest entry), else of the build.
string(TIMESTAMP DFA_RELEASE_DATE "%Y-%m-%d" UTC)
