# SPDX-License-Identifier: MIT
# PostgreSQL's script of the extension's current version, made from the hosts' function catalog:
#   cmake -DOUT=FILE -P DfaPostgresScripts.cmake
# writes FILE, the CREATE EXTENSION script. A released version's script is committed beside the
# extension (hosts/postgresql) and never changes: the test postgresql_scripts_are_released holds
# the committed script of default_version to what the catalog makes now.
include(${CMAKE_CURRENT_LIST_DIR}/DfaFunctionCatalog.cmake)
dfa_function_catalog(_catalog)

set(_head "-- SPDX-License-Identifier: MIT\n-- Made from the hosts' function catalog by cmake/DfaPostgresScripts.cmake.\n")
set(_create "")
foreach(_name _kind _description IN ZIP_LISTS _catalog_NAMES _catalog_KINDS _catalog_DESCRIPTIONS)
  string(TOLOWER "${_name}" _sql)
  string(REPLACE "<semicolon>" ";" _description "${_description}")
  string(REPLACE "'" "''" _description "${_description}")
  foreach(_type date timestamp "timestamp with time zone")
    set(_symbol ${_name}_${_type})
    set(_volatility IMMUTABLE)
    if(_type STREQUAL "timestamp with time zone")
      # The day of a timestamptz depends on the session's TimeZone.
      set(_symbol ${_name}_timestamptz)
      set(_volatility STABLE)
    endif()
    if(_kind STREQUAL "DIFFERENCE")
      set(_parameters "first_date ${_type}, second_date ${_type}, mode double precision DEFAULT 0")
      set(_types "${_type}, ${_type}, double precision")
    else()
      set(_parameters "date ${_type}")
      set(_types "${_type}")
    endif()
    string(APPEND _create "
CREATE OR REPLACE FUNCTION ${_sql}(${_parameters}) RETURNS integer
AS 'MODULE_PATHNAME', '${_symbol}' LANGUAGE C ${_volatility} STRICT PARALLEL SAFE;
COMMENT ON FUNCTION ${_sql}(${_types}) IS '${_description}';
")
  endforeach()
endforeach()

file(WRITE ${OUT} "${_head}\
-- The add-in's functions on date, timestamp and timestamp with time zone, each value read as the
-- day its cast to date gives. A mode of 1 (or 1.9: it is truncated) is ISO 8601, anything else the
-- standard variant; results are the integers a spreadsheet cell shows. NULL, a NaN mode, infinity
-- and days outside 0000-01-01 to 65535-12-31 (and 0001-01-01, which the add-in cannot name) give
-- NULL.
\\echo Use \"CREATE EXTENSION dfa\" to load this file. \\quit
${_create}")

