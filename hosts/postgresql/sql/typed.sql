-- SPDX-License-Identifier: MIT
-- The typed table that every engine's host runs (function, zone, first, second, mode, result):
-- values of date, timestamp and timestamptz, the latter read in the row's TimeZone. Text is
-- PostgreSQL's own literal, so its rows are the text-taking engines'.
\set typed `cat "$DFA_SQL_TABLES/typed_cases.csv"`
CREATE TEMP TABLE typed AS
SELECT n, f[1] AS function, f[2] AS zone, f[3] AS first, f[4] AS second, f[5] AS mode, f[6] AS result
FROM regexp_split_to_table(:'typed', E'\n') WITH ORDINALITY AS l(line, n), string_to_array(line, ',') AS f
WHERE n > 1 AND line <> '' AND line NOT LIKE '%text:%';
-- Every row of the kinds PostgreSQL takes runs below: no more and no fewer.
SELECT count(*) AS rows_of_these_kinds FROM typed;

-- A value of the table as SQL: type:literal, or null (of the other value's type, else date).
CREATE FUNCTION pg_temp.typed_sql(field text, other text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN field = 'null' THEN 'NULL::' || CASE WHEN other IN ('', 'null') THEN 'date' ELSE split_part(other, ':', 1) END
              ELSE quote_literal(substr(field, strpos(field, ':') + 1)) || '::' || split_part(field, ':', 1) END
$$;

-- Every row whose result differs: none.
CREATE FUNCTION pg_temp.typed_result(t typed) RETURNS text LANGUAGE plpgsql AS $$
DECLARE
  got integer;
  call text := lower(t.function) || '(' || pg_temp.typed_sql(t.first, t.second);
BEGIN
  PERFORM set_config('TimeZone', coalesce(nullif(t.zone, ''), 'UTC'), true);
  IF t.second <> '' THEN
    call := call || ', ' || pg_temp.typed_sql(t.second, t.first);
  END IF;
  IF t.mode <> '' THEN
    call := call || ', ' || CASE WHEN t.mode = 'NULL' THEN 'NULL' ELSE quote_literal(t.mode) END || '::float8';
  END IF;
  EXECUTE 'SELECT ' || call || ')' INTO got;
  RETURN coalesce(got::text, 'NULL');
END
$$;
SELECT n, function, zone, first, second, mode, result, got
FROM typed AS t, pg_temp.typed_result(t) AS got
WHERE got <> result ORDER BY n;

-- Over random instants in every zone of the table, a timestamptz gives what its cast to date
-- gives, and so does a timestamp: none differ.
SELECT setseed(0.5);
CREATE FUNCTION pg_temp.differing(zone text) RETURNS bigint LANGUAGE plpgsql AS $$
DECLARE
  differing bigint;
BEGIN
  PERFORM set_config('TimeZone', zone, true);
  SELECT count(*) INTO differing
  FROM (SELECT timestamptz '1600-01-01 00:00Z' + random() * interval '600 years' AS a,
               timestamptz '1600-01-01 00:00Z' + random() * interval '600 years' AS b,
               floor(random() * 4) / 1.5 AS mode
        FROM generate_series(1, 2000)) AS r
  WHERE qvdate_getdiffmonths(a, b, mode) <> qvdate_getdiffmonths(a::date, b::date, mode)
     OR qvdate_getdiffweeks(a, b, mode) <> qvdate_getdiffweeks(a::date, b::date, mode)
     OR qvdate_weeksinyear(a) <> qvdate_weeksinyear(a::date)
     OR qvdate_daysinmonth(a::timestamp) <> qvdate_daysinmonth(a::timestamp::date);
  RETURN differing;
END
$$;
SELECT DISTINCT zone, pg_temp.differing(zone) AS differing FROM typed WHERE zone <> '' ORDER BY zone;

-- A mode is anything numeric; a date beside a timestamptz is read as that.
SET TimeZone = 'America/New_York';
SELECT qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28', 1.9) AS numeric_mode,
       qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28', 1::bigint) AS bigint_mode,
       qvdate_getdiffmonths(DATE '2005-01-31', TIMESTAMPTZ '2005-03-01 03:00+00') AS mixed;
RESET TimeZone;
