# SPDX-License-Identifier: MIT
# The misbehaving add-in as WebAssembly, for the JavaScript host's tests: one module per row of
# the registration fault table, and for what a web host contains (a trap, a loop, a wild
# pointer, names equal in capitals, exports of other signatures), as faults/<fault>.wasm beside a copy of the table.
file(READ ${CMAKE_CURRENT_LIST_DIR}/registration_faults.tsv _table)
string(REGEX MATCHALL "\n[a-z-]+\t" _rows "${_table}")
string(REGEX REPLACE "[\n\t]" "" _faults "abort;hang;abort-on-1000;case-twin;wild-version;wrong-signatures;${_rows}")
set(_out ${PROJECT_BINARY_DIR}/faults)
configure_file(${CMAKE_CURRENT_LIST_DIR}/registration_faults.tsv ${_out}/registration_faults.tsv COPYONLY)
foreach(_fault IN LISTS _faults)
  add_executable(misbehaving_${_fault} ${CMAKE_CURRENT_LIST_DIR}/misbehaving_addin.c)
  target_compile_definitions(misbehaving_${_fault} PRIVATE "DFA_TEST_FAULTS=\"${_fault}\""
                             $<$<STREQUAL:${_fault},wrong-signatures>:DFA_WRONG_SIGNATURES>)
  target_link_options(misbehaving_${_fault} PRIVATE -mexec-model=reactor -Wl,--export-dynamic -Wl,--strip-all)
  set_target_properties(misbehaving_${_fault} PROPERTIES OUTPUT_NAME ${_fault} SUFFIX .wasm
                        RUNTIME_OUTPUT_DIRECTORY ${_out} C_VISIBILITY_PRESET hidden)
endforeach()
