-- SPDX-License-Identifier: MIT
-- A database made with interface 1.0, its expression index included, moved by ALTER EXTENSION.
DROP EXTENSION dfa;
CREATE EXTENSION dfa VERSION '1.0';
CREATE TABLE spans (a date, b date);
INSERT INTO spans SELECT DATE '2000-01-01' + i, DATE '2000-01-01' + i * 3 FROM generate_series(0, 9999) AS i;
CREATE INDEX spans_months ON spans (qvdate_getdiffmonths(a, b));
SELECT qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28', 1) AS iso_in_1_0;

ALTER EXTENSION dfa UPDATE;
SELECT extversion FROM pg_extension WHERE extname = 'dfa';
SELECT pg_get_function_identity_arguments(p.oid) AS difference_arguments
FROM pg_proc AS p WHERE proname = 'qvdate_getdiffmonths' ORDER BY 1;

-- The index is made again on the new function, and used.
SELECT indexdef FROM pg_indexes WHERE indexname = 'spans_months';
ANALYZE spans;
SET enable_seqscan = off;
EXPLAIN (COSTS OFF) SELECT count(*) FROM spans WHERE qvdate_getdiffmonths(a, b) = 100;
SELECT count(*) FROM spans WHERE qvdate_getdiffmonths(a, b) = 100;
RESET enable_seqscan;
SELECT qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28', 1.9) AS iso_in_1_1;

-- Whatever else uses a 1.0 difference stops the update, all of it named in one error; the
-- database stays at 1.0.
DROP TABLE spans;
DROP EXTENSION dfa;
CREATE EXTENSION dfa VERSION '1.0';
CREATE VIEW months AS SELECT qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28') AS m;
CREATE MATERIALIZED VIEW weeks AS SELECT qvdate_getdiffweeks(DATE '2005-01-31', DATE '2005-02-28') AS w;
CREATE TABLE contracts (start date, stop date CHECK (qvdate_getdiffyears(start, stop) < 10),
                        years integer GENERATED ALWAYS AS (qvdate_getdiffyears(start, stop)) STORED);
\set VERBOSITY terse
ALTER EXTENSION dfa UPDATE;
\set VERBOSITY default
SELECT extversion FROM pg_extension WHERE extname = 'dfa';
DROP VIEW months;
DROP MATERIALIZED VIEW weeks;
DROP TABLE contracts;
DROP EXTENSION dfa;
