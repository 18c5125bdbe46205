-- SPDX-License-Identifier: MIT
CREATE EXTENSION dfa;

-- Names ignore case, as SQL's do; a missing mode is 0.
SELECT QvDate_GetDiffMonths('2005-01-31', '2005-02-28') AS standard,
       QvDate_GetDiffMonths('2005-01-31', '2005-02-28', 1) AS iso,
       qvdate_weeksinyear('2026-01-01') AS weeks,
       qvdate_daysinmonth('0001-03-01 BC') AS year_0_march;

-- What is not a date of the add-in's calendar is no answer.
SELECT qvdate_isleapyear('infinity') AS infinity, qvdate_isleapyear('0002-12-31 BC') AS before_year_0,
       qvdate_isleapyear('65536-01-01') AS after_65535, qvdate_isleapyear('0001-01-01') AS no_serial,
       qvdate_isleapyear(NULL) AS null, qvdate_getdiffweeks('2004-01-02', '2004-01-05', NULL) AS null_mode;

-- The case table that every engine's host runs (function, first date, second date, mode,
-- result), read by psql from the source tree; SQLite's text-only rows are SQLite's.
\set cases `cat "$DFA_SQL_TABLES/cases.csv"`
CREATE TEMP TABLE cases AS
SELECT n, f[1] AS function, f[2] AS first, f[3] AS second, f[4] AS mode, f[5] AS result
FROM regexp_split_to_table(:'cases', E'\n') WITH ORDINALITY AS l(line, n), string_to_array(line, ',') AS f
WHERE n > 1 AND line NOT LIKE '%text:%';
SELECT count(*) > 200 AS table_read FROM cases;

-- A date of the table: infinity, -infinity, NULL, or an ISO date of any year (year 0 is 1 BC).
CREATE FUNCTION pg_temp.case_date(field text) RETURNS date LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN field IN ('infinity', '-infinity') THEN field::date
              WHEN p IS NOT NULL THEN make_date(p[1]::int - (p[1]::int <= 0)::int, p[2]::int, p[3]::int) END
  FROM regexp_match(field, '^(-?\d+)-(\d\d)-(\d\d)$') AS p
$$;

-- Every row whose result differs: none.
SELECT n, function, first, second, mode, result, got
FROM (SELECT c.*, (CASE WHEN c.function = 'QvDate_IsLeapYear' THEN qvdate_isleapyear(d1)
                        WHEN c.function = 'QvDate_DaysInMonth' THEN qvdate_daysinmonth(d1)
                        WHEN c.function = 'QvDate_DaysInYear' THEN qvdate_daysinyear(d1)
                        WHEN c.function = 'QvDate_WeeksInYear' THEN qvdate_weeksinyear(d1)
                        WHEN c.mode = '' THEN CASE c.function
                            WHEN 'QvDate_GetDiffWeeks' THEN qvdate_getdiffweeks(d1, d2)
                            WHEN 'QvDate_GetDiffMonths' THEN qvdate_getdiffmonths(d1, d2)
                            WHEN 'QvDate_GetDiffYears' THEN qvdate_getdiffyears(d1, d2) END
                        ELSE CASE c.function
                            WHEN 'QvDate_GetDiffWeeks' THEN qvdate_getdiffweeks(d1, d2, m)
                            WHEN 'QvDate_GetDiffMonths' THEN qvdate_getdiffmonths(d1, d2, m)
                            WHEN 'QvDate_GetDiffYears' THEN qvdate_getdiffyears(d1, d2, m) END
                   END)::text AS got
      FROM cases AS c, pg_temp.case_date(c.first) AS d1, pg_temp.case_date(c.second) AS d2,
           CAST(nullif(nullif(c.mode, 'NULL'), '') AS integer) AS m) AS r
WHERE got IS DISTINCT FROM nullif(result, 'NULL')
ORDER BY n;
