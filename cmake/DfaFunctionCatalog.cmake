# SPDX-License-Identifier: MIT
# The hosts' function catalog (hosts/loader/function_catalog.def), read by CMake for what is made
# from it outside C++: a manual page's list and PostgreSQL's scripts.
set(DFA_FUNCTION_CATALOG ${CMAKE_CURRENT_LIST_DIR}/../hosts/loader/function_catalog.def)

# dfa_function_catalog(PREFIX): PREFIX_NAMES, PREFIX_KINDS (DIFFERENCE or DATE) and
# PREFIX_DESCRIPTIONS, one element per function, in the catalog's order; semicolons in a
# description are written <semicolon>.
function(dfa_function_catalog prefix)
  file(READ ${DFA_FUNCTION_CATALOG} _text)
  string(REPLACE ";" "<semicolon>" _text "${_text}")
  set(_entry "DFA_CATALOG_ENTRY\\(([A-Za-z_]+), ([A-Z]+),\n +\"([^\"]*)\",\n +\"[^\"]*\", [0-9]+\\)")
  string(REGEX MATCHALL "${_entry}" _entries "${_text}")
  # An entry written another way would be left out without a word: every one must be read.
  string(REGEX MATCHALL "DFA_CATALOG_ENTRY\\(" _written "${_text}")
  list(LENGTH _entries _read)
  list(LENGTH _written _count)
  if(_read EQUAL 0 OR NOT _read EQUAL _count)
    message(FATAL_ERROR "read ${_read} of the ${_count} entries of ${DFA_FUNCTION_CATALOG}: write each as the "
                        "others are, the name and kind on the first line, the description and the example on lines of their own")
  endif()
  set(_names "")
  set(_kinds "")
  set(_descriptions "")
  foreach(_one IN LISTS _entries)
    string(REGEX REPLACE "${_entry}" "\\1" _name "${_one}")
    string(REGEX REPLACE "${_entry}" "\\2" _kind "${_one}")
    string(REGEX REPLACE "${_entry}" "\\3" _description "${_one}")
    list(APPEND _names "${_name}")
    list(APPEND _kinds "${_kind}")
    list(APPEND _descriptions "${_description}")
  endforeach()
  set(${prefix}_NAMES "${_names}" PARENT_SCOPE)
  set(${prefix}_KINDS "${_kinds}" PARENT_SCOPE)
  set(${prefix}_DESCRIPTIONS "${_descriptions}" PARENT_SCOPE)
endfunction()

# dfa_function_catalog_roff(VAR): VAR is one .TP entry of a manual page per function.
function(dfa_function_catalog_roff var)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${DFA_FUNCTION_CATALOG})
  dfa_function_catalog(_catalog)
  set(_roff "")
  foreach(_name _kind _description IN ZIP_LISTS _catalog_NAMES _catalog_KINDS _catalog_DESCRIPTIONS)
    if(_kind STREQUAL "DIFFERENCE")
      set(_arguments "first_date second_date mode")
    else()
      set(_arguments "date")
    endif()
    string(APPEND _roff ".TP\n.BI ${_name} \" ${_arguments}\"\n${_description}\n")
  endforeach()
  string(REPLACE "<semicolon>" ";" _roff "${_roff}")
  string(REGEX REPLACE "\n$" "" _roff "${_roff}")
  set(${var} "${_roff}" PARENT_SCOPE)
endfunction()
