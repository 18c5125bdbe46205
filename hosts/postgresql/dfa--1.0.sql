-- SPDX-License-Identifier: MIT
-- The add-in's seven functions on dates. A mode of 1 is ISO 8601, anything else the standard
-- variant; results are the integers a spreadsheet cell shows. NULL, infinity and dates outside
-- 0000-01-01 to 65535-12-31 (and 0001-01-01, which the add-in cannot name) give NULL.
\echo Use "CREATE EXTENSION dfa" to load this file. \quit

CREATE FUNCTION qvdate_getdiffweeks(first_date date, second_date date, mode integer DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'qvdate_getdiffweeks' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

CREATE FUNCTION qvdate_getdiffmonths(first_date date, second_date date, mode integer DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'qvdate_getdiffmonths' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

CREATE FUNCTION qvdate_getdiffyears(first_date date, second_date date, mode integer DEFAULT 0) RETURNS integer
AS 'MODULE_PATHNAME', 'qvdate_getdiffyears' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

CREATE FUNCTION qvdate_isleapyear(date) RETURNS integer
AS 'MODULE_PATHNAME', 'qvdate_isleapyear' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

CREATE FUNCTION qvdate_daysinmonth(date) RETURNS integer
AS 'MODULE_PATHNAME', 'qvdate_daysinmonth' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

CREATE FUNCTION qvdate_daysinyear(date) RETURNS integer
AS 'MODULE_PATHNAME', 'qvdate_daysinyear' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;

CREATE FUNCTION qvdate_weeksinyear(date) RETURNS integer
AS 'MODULE_PATHNAME', 'qvdate_weeksinyear' LANGUAGE C IMMUTABLE STRICT PARALLEL SAFE;
