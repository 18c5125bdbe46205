-- SPDX-License-Identifier: MIT
-- From 1.0: the differences take their mode as double precision (so 1.9 is ISO 8601, as in a
-- spreadsheet) and every function takes timestamp and timestamp with time zone too. The three
-- differences of 1.0 are replaced; the indexes on them are dropped and made again on the new
-- ones. Anything else that uses them (a view, a materialized view, a CHECK constraint, a
-- generated column or default, a function) stops the update, all of it named in one error.
\echo Use "ALTER EXTENSION dfa UPDATE TO '1.1'" to load this file. \quit

DO $$
DECLARE
  users text;
BEGIN
  SELECT string_agg(what, '; ' ORDER BY what) INTO users
  -- A default or generated value is named by its column, as PostgreSQL 13 records it.
  FROM (SELECT DISTINCT CASE WHEN d.classid = 'pg_attrdef'::regclass
                             THEN (SELECT pg_describe_object('pg_class'::regclass, a.adrelid, a.adnum)
                                   FROM pg_attrdef AS a WHERE a.oid = d.objid)
                             ELSE pg_describe_object(d.classid, d.objid, d.objsubid) END AS what
        FROM pg_depend AS d
        -- PostgreSQL 13 ties a generated column to its functions by an automatic dependency,
        -- which dropping them would take away silently.
        WHERE d.refclassid = 'pg_proc'::regclass AND d.deptype IN ('n', 'a')
          AND d.refobjid IN (SELECT p.oid FROM pg_proc AS p JOIN pg_depend AS e ON e.objid = p.oid
                             WHERE e.refclassid = 'pg_extension'::regclass AND e.deptype = 'e'
                               AND e.refobjid = (SELECT oid FROM pg_extension WHERE extname = 'dfa')
                               AND p.proname IN ('qvdate_getdiffweeks', 'qvdate_getdiffmonths', 'qvdate_getdiffyears')
                               AND p.proargtypes[2] = 'integer'::regtype)
          AND NOT (d.classid = 'pg_class'::regclass AND (SELECT relkind FROM pg_class WHERE oid = d.objid) = 'i')) AS u;
  IF users IS NOT NULL THEN
    RAISE EXCEPTION 'dfa 1.1 replaces the differences of 1.0, which these use: %', users
      USING HINT = 'Drop them, run ALTER EXTENSION dfa UPDATE, and make them again on the new functions.';
  END IF;
END
$$;

CREATE TEMP TABLE dfa_indexes_to_remake ON COMMIT DROP AS
SELECT DISTINCT d.objid::regclass::text AS name, pg_get_indexdef(d.objid) AS definition
FROM pg_depend AS d JOIN pg_class AS c ON c.oid = d.objid AND c.relkind = 'i'
WHERE d.classid = 'pg_class'::regclass AND d.refclassid = 'pg_proc'::regclass
  AND d.refobjid IN (SELECT p.oid FROM pg_proc AS p JOIN pg_depend AS e ON e.objid = p.oid
                     WHERE e.refclassid = 'pg_extension'::regclass AND e.deptype = 'e'
                       AND e.refobjid = (SELECT oid FROM pg_extension WHERE extname = 'dfa')
                       AND p.proname IN ('qvdate_getdiffweeks', 'qvdate_getdiffmonths', 'qvdate_getdiffyears') AND p.proargtypes[2] = 'integer'::regtype);
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
             AND p.proname IN ('qvdate_getdiffweeks', 'qvdate_getdiffmonths', 'qvdate_getdiffyears') AND p.proargtypes[2] = 'integer'::regtype LOOP
    EXECUTE 'ALTER EXTENSION dfa DROP FUNCTION ' || f.signature;
    EXECUTE 'DROP FUNCTION ' || f.signature;
  END LOOP;
END
$$;

CREATE OR REPLACE FUNCTION qvdate_getdiffweeks(first_date date, second_date date, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffWeeks_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffweeks(date, date, double precision) IS 'Whole weeks from the first date to the second. ISO mode counts them from the Monday of ISO week 1 of the first date''s year.';

CREATE OR REPLACE FUNCTION qvdate_getdiffweeks(first_date timestamp, second_date timestamp, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffWeeks_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffweeks(timestamp, timestamp, double precision) IS 'Whole weeks from the first date to the second. ISO mode counts them from the Monday of ISO week 1 of the first date''s year.';

CREATE OR REPLACE FUNCTION qvdate_getdiffweeks(first_date timestamp with time zone, second_date timestamp with time zone, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffWeeks_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffweeks(timestamp with time zone, timestamp with time zone, double precision) IS 'Whole weeks from the first date to the second. ISO mode counts them from the Monday of ISO week 1 of the first date''s year.';

CREATE OR REPLACE FUNCTION qvdate_getdiffmonths(first_date date, second_date date, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffMonths_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffmonths(date, date, double precision) IS 'Whole months from the first date to the second; a month counts once the day of the month is reached again (31 January to 28 February is none). ISO mode counts calendar months alone.';

CREATE OR REPLACE FUNCTION qvdate_getdiffmonths(first_date timestamp, second_date timestamp, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffMonths_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffmonths(timestamp, timestamp, double precision) IS 'Whole months from the first date to the second; a month counts once the day of the month is reached again (31 January to 28 February is none). ISO mode counts calendar months alone.';

CREATE OR REPLACE FUNCTION qvdate_getdiffmonths(first_date timestamp with time zone, second_date timestamp with time zone, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffMonths_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffmonths(timestamp with time zone, timestamp with time zone, double precision) IS 'Whole months from the first date to the second; a month counts once the day of the month is reached again (31 January to 28 February is none). ISO mode counts calendar months alone.';

CREATE OR REPLACE FUNCTION qvdate_getdiffyears(first_date date, second_date date, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffYears_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffyears(date, date, double precision) IS 'Whole years from the first date to the second, as whole months divided by 12. ISO mode counts calendar years alone.';

CREATE OR REPLACE FUNCTION qvdate_getdiffyears(first_date timestamp, second_date timestamp, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffYears_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffyears(timestamp, timestamp, double precision) IS 'Whole years from the first date to the second, as whole months divided by 12. ISO mode counts calendar years alone.';

CREATE OR REPLACE FUNCTION qvdate_getdiffyears(first_date timestamp with time zone, second_date timestamp with time zone, mode double precision DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_GetDiffYears_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_getdiffyears(timestamp with time zone, timestamp with time zone, double precision) IS 'Whole years from the first date to the second, as whole months divided by 12. ISO mode counts calendar years alone.';

CREATE OR REPLACE FUNCTION qvdate_isleapyear(date date) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_IsLeapYear_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_isleapyear(date) IS '1 if the year of the date is a leap year, else 0.';

CREATE OR REPLACE FUNCTION qvdate_isleapyear(date timestamp) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_IsLeapYear_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_isleapyear(timestamp) IS '1 if the year of the date is a leap year, else 0.';

CREATE OR REPLACE FUNCTION qvdate_isleapyear(date timestamp with time zone) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_IsLeapYear_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_isleapyear(timestamp with time zone) IS '1 if the year of the date is a leap year, else 0.';

CREATE OR REPLACE FUNCTION qvdate_daysinmonth(date date) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_DaysInMonth_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_daysinmonth(date) IS 'The number of days in the month of the date, 28 to 31.';

CREATE OR REPLACE FUNCTION qvdate_daysinmonth(date timestamp) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_DaysInMonth_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_daysinmonth(timestamp) IS 'The number of days in the month of the date, 28 to 31.';

CREATE OR REPLACE FUNCTION qvdate_daysinmonth(date timestamp with time zone) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_DaysInMonth_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_daysinmonth(timestamp with time zone) IS 'The number of days in the month of the date, 28 to 31.';

CREATE OR REPLACE FUNCTION qvdate_daysinyear(date date) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_DaysInYear_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_daysinyear(date) IS 'The number of days in the year of the date, 365 or 366.';

CREATE OR REPLACE FUNCTION qvdate_daysinyear(date timestamp) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_DaysInYear_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_daysinyear(timestamp) IS 'The number of days in the year of the date, 365 or 366.';

CREATE OR REPLACE FUNCTION qvdate_daysinyear(date timestamp with time zone) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_DaysInYear_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_daysinyear(timestamp with time zone) IS 'The number of days in the year of the date, 365 or 366.';

CREATE OR REPLACE FUNCTION qvdate_weeksinyear(date date) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_WeeksInYear_date' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_weeksinyear(date) IS 'The number of ISO 8601 weeks in the year of the date, 52 or 53.';

CREATE OR REPLACE FUNCTION qvdate_weeksinyear(date timestamp) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_WeeksInYear_timestamp' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_weeksinyear(timestamp) IS 'The number of ISO 8601 weeks in the year of the date, 52 or 53.';

CREATE OR REPLACE FUNCTION qvdate_weeksinyear(date timestamp with time zone) RETURNS integer
AS 'MODULE_PATHNAME', 'QvDate_WeeksInYear_timestamptz' LANGUAGE C STABLE STRICT PARALLEL SAFE;
COMMENT ON FUNCTION qvdate_weeksinyear(timestamp with time zone) IS 'The number of ISO 8601 weeks in the year of the date, 52 or 53.';

DO $$
DECLARE
  i record;
BEGIN
  FOR i IN SELECT definition FROM dfa_indexes_to_remake LOOP
    EXECUTE i.definition;
  END LOOP;
END
$$;
