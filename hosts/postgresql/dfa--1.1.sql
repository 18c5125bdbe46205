-- SPDX-License-Identifier: MIT
-- Made from the hosts' function catalog by cmake/DfaPostgresScripts.cmake.
-- The add-in's functions on date, timestamp and timestamp with time zone, each value read as the
-- day its cast to date gives. A mode of 1 (or 1.9: it is truncated) is ISO 8601, anything else the
-- standard variant; results are the integers a spreadsheet cell shows. NULL, a NaN mode, infinity
-- and days outside 0000-01-01 to 65535-12-31 (and 0001-01-01, which the add-in cannot name) give
-- NULL.
\echo Use "CREATE EXTENSION dfa" to load this file. \quit

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
