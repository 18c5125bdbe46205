# SPDX-License-Identifier: MIT
# The version and its date are written once, in debian/changelog's newest entry: the upstream
# version (before the Debian revision) and the day of its sign-off line, which the manual page
# carries.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../debian/changelog _dfa_head LIMIT_COUNT 1)
if(NOT _dfa_head MATCHES "^dfa \\(([0-9]+\\.[0-9]+\\.[0-9]+)-[^)]+\\)")
  message(FATAL_ERROR "debian/changelog: the first line '${_dfa_head}' has no version N.N.N-R")
endif()
set(DFA_CHANGELOG_VERSION ${CMAKE_MATCH_1})
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../debian/changelog _dfa_signoff REGEX "^ -- " LIMIT_COUNT 1)
if(NOT _dfa_signoff MATCHES ", ([0-9][0-9]) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "debian/changelog: no date in the sign-off line '${_dfa_signoff}'")
endif()
set(_dfa_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND _dfa_months ${CMAKE_MATCH_2} _dfa_month)
math(EXPR _dfa_month "${_dfa_month} + 1" OUTPUT_FORMAT DECIMAL)
if(_dfa_month LESS 10)
  set(_dfa_month 0${_dfa_month})
endif()
set(DFA_CHANGELOG_DATE ${CMAKE_MATCH_3}-${_dfa_month}-${CMAKE_MATCH_1})
