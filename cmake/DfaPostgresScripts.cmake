# SPDX-License-Identifier: MIT
# PostgreSQL's scripts for the extension, made from the hosts' function catalog:
#   cmake -DOUT=DIR -P DfaPostgresScripts.cmake
# writes DIR/dfa--1.1.sql (CREATE EXTENSION) and DIR/dfa--1.0--1.1.sql (ALTER EXTENSION UPDATE).
include(${CMAKE_CURRENT_LIST_DIR}/DfaFunctionCatalog.cmake)
dfa_function_catalog(_catalog)

set(_head "-- SPDX-License-Identifier: MIT\n-- Made from the hosts' function catalog by cmake/DfaPostgresScripts.cmake.\n")
set(_create "")
set(_differences "")
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
  if(_kind STREQUAL "DIFFERENCE")
    list(APPEND _differences "${_sql}")
  endif()
endforeach()

file(WRITE ${OUT}/dfa--1.1.sql "${_head}\
-- The add-in's functions on date, timestamp and timestamp with time zone, each value read as the
-- day its cast to date gives. A mode of 1 (or 1.9: it is truncated) is ISO 8601, anything else the
-- standard variant; results are the integers a spreadsheet cell shows. NULL, a NaN mode, infinity
-- and days outside 0000-01-01 to 65535-12-31 (and 0001-01-01, which the add-in cannot name) give
-- NULL.
\\echo Use \"CREATE EXTENSION dfa\" to load this file. \\quit
${_create}")

list(JOIN _differences "', '" _differences)
file(WRITE ${OUT}/dfa--1.0--1.1.sql "${_head}\
-- From 1.0: the differences take their mode as double precision (so 1.9 is ISO 8601, as in a
-- spreadsheet) and every function takes timestamp and timestamp with time zone too. The three
-- differences of 1.0 are replaced; the indexes on them are dropped and made again on the new
-- ones (anything else that uses them, such as a view, stops the update and names itself).
\\echo Use \"ALTER EXTENSION dfa UPDATE TO '1.1'\" to load this file. \\quit

CREATE TEMP TABLE dfa_indexes_to_remake ON COMMIT DROP AS
SELECT DISTINCT d.objid::regclass::text AS name, pg_get_indexdef(d.objid) AS definition
FROM pg_depend AS d JOIN pg_class AS c ON c.oid = d.objid AND c.relkind = 'i'
WHERE d.classid = 'pg_class'::regclass AND d.refclassid = 'pg_proc'::regclass
  AND d.refobjid IN (SELECT p.oid FROM pg_proc AS p JOIN pg_depend AS e ON e.objid = p.oid
                     WHERE e.refclassid = 'pg_extension'::regclass AND e.deptype = 'e'
                       AND e.refobjid = (SELECT oid FROM pg_extension WHERE extname = 'dfa')
                       AND p.proname IN ('${_differences}') AND p.proargtypes[2] = 'integer'::regtype);
-- A scratch table of this script, not of the extension.
ALTER EXTENSION dfa DROP TABLE dfa_indexes_to_remake;

DO $$
DECLARE
  i record;
  f record;
BEGIN
  FOR i IN SELECT name FROM dfa_indexes_to_remake LOOP
    EXECUTE 'DROP INDEX ' || i.name;
  END LOOP;
  FOR f IN SELECT p.oid::regprocedure AS signature FROM pg_proc AS p JOIN pg_depend AS e ON e.objid = p.oid
           WHERE e.refclassid = 'pg_extension'::regclass AND e.deptype = 'e'
             AND e.refobjid = (SELECT oid FROM pg_extension WHERE extname = 'dfa')
             AND p.proname IN ('${_differences}') AND p.proargtypes[2] = 'integer'::regtype LOOP
    EXECUTE 'ALTER EXTENSION dfa DROP FUNCTION ' || f.signature;
    EXECUTE 'DROP FUNCTION ' || f.signature;
  END LOOP;
END
$$;
${_create}
DO $$
DECLARE
  i record;
BEGIN
  FOR i IN SELECT definition FROM dfa_indexes_to_remake LOOP
    EXECUTE i.definition;
  END LOOP;
END
$$;
")
