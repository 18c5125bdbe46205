# SPDX-License-Identifier: MIT
# Debian packages of this build's architecture, made by `cmake --build <dir> --target package`
# in a tree configured with -DCMAKE_INSTALL_PREFIX=/usr:
#   dfa           the add-in, in a plugin directory of its own: /usr/lib/<triplet>/dfa
#   dfa-dev       dfa.h, for host authors
#   dfa-host      the host stand-in and its manual page
#   dfa-gnumeric  the Gnumeric plugin, where it is built
# Each carries the project's copyright and changelog; dependencies come from the symbols the
# binaries actually use (cmake/DfaPackageDepends.cmake, run by cpack).

find_program(DFA_DPKG_ARCHITECTURE dpkg-architecture)
if(NOT DFA_DPKG_ARCHITECTURE)
  message(STATUS "No Debian packages (they need dpkg-architecture, Debian: dpkg-dev)")
  return()
endif()
execute_process(COMMAND ${DFA_DPKG_ARCHITECTURE} -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                OUTPUT_VARIABLE DFA_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)

dfa_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_target(dfa_package_docs ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)

set(_dfa_components addin dev host)
if(TARGET dfa-gnumeric)
  list(APPEND _dfa_components gnumeric)
endif()
set(CPACK_DEBIAN_ADDIN_PACKAGE_NAME dfa)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME dfa-dev)
set(CPACK_DEBIAN_HOST_PACKAGE_NAME dfa-host)
set(CPACK_DEBIAN_GNUMERIC_PACKAGE_NAME dfa-gnumeric)
foreach(component IN LISTS _dfa_components)
  string(TOUPPER ${component} upper)
  set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dfa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the dfa authors")
# Each package's description starts with its own summary line, not the project's.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGE_CONTACT "The dfa authors <dfa@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${_dfa_components})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${DFA_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_DEBIAN_ADDIN_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_ADDIN_DESCRIPTION "date-function add-in for spreadsheet hosts
The dfa add-in is a shared library that a spreadsheet host loads into its
process. It offers seven worksheet functions on serial dates: the differences
of two dates in whole weeks, months and years, each with an ISO 8601 mode,
whether a year is a leap year, the days of a month and of a year, and the ISO
8601 weeks of a year. It needs nothing but the C library.
.
Hosts load the library by name: it lives in a plugin directory of its own,
/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dfa.")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_ARCHITECTURE all)
set(CPACK_COMPONENT_DEV_DESCRIPTION "date-function add-in for spreadsheet hosts (header)
The C header dfa.h declares the exports of the dfa add-in and the pointer
types a host resolves them to, with the rules of its registration handshake.")
set(CPACK_DEBIAN_HOST_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_HOST_DESCRIPTION "loads the dfa add-in the way a spreadsheet host does
dfa-host runs the registration handshake of the dfa date-function add-in and
calls its worksheet functions by name: one call from the command line, or one
call per line of a file, with serial numbers or ISO 8601 dates. It lists the
functions the add-in registers and prints its version record.")
set(CPACK_DEBIAN_GNUMERIC_PACKAGE_SECTION math)
set(CPACK_DEBIAN_GNUMERIC_PACKAGE_SHLIBDEPS ON)
set(CPACK_COMPONENT_GNUMERIC_DESCRIPTION "dfa date functions in Gnumeric
This Gnumeric plugin loads the dfa date-function add-in and offers its
functions in every workbook: week, month and year differences with an ISO 8601
mode, leap years, days in a month or year and ISO weeks in a year. Dates are
read in the workbook's date system, 1900 or 1904.")

# What cpack's dependency script needs to know of this build; Gnumeric's version as its
# Debian package has it (with any epoch), so that the plugin's package asks for that one.
set(_dfa_gnumeric_version "")
if(TARGET dfa-gnumeric)
  set(_dfa_gnumeric_version ${DFA_GNUMERIC_VERSION})
  execute_process(COMMAND dpkg-query -W -f=\${Version} gnumeric OUTPUT_VARIABLE _dfa_installed ERROR_QUIET)
  if(_dfa_installed MATCHES "^([0-9]+:)")
    set(_dfa_gnumeric_version ${CMAKE_MATCH_1}${DFA_GNUMERIC_VERSION})
  endif()
endif()
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/DfaPackageBuild.cmake CONTENT "
set(DFA_PACKAGE_PREFIX \"${CMAKE_INSTALL_PREFIX}\")
set(DFA_PACKAGE_VERSION \"${PROJECT_VERSION}\")
set(DFA_OBJDUMP \"${CMAKE_OBJDUMP}\")
set(DFA_PACKAGE_BINARIES_ADDIN \"$<TARGET_FILE:dfa>\")
set(DFA_PACKAGE_BINARIES_HOST \"$<TARGET_FILE:dfa-host>\")
set(DFA_GNUMERIC_VERSION \"${_dfa_gnumeric_version}\")
")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/DfaPackageDepends.cmake)
set(CPACK_DFA_BUILD_FILE ${PROJECT_BINARY_DIR}/DfaPackageBuild.cmake)
include(CPack)
