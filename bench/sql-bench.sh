#!/bin/sh
# SPDX-License-Identifier: MIT
# What a row costs in SQLite and PostgreSQL: each function of the extensions over 1,000,000 rows
# of two dates (1900-2100), beside the engine's nearest built-in on the same rows, one thread.
# Each query runs REPEAT times (default 5), the fastest counts; a row's cost is the query's time
# less that of a query that only reads the rows (count of the first date), over the rows.
# PostgreSQL: the extension is installed with PGXS (as root) and run in a throwaway cluster.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh sql
cmake -S . -B build-bench-sql -DCMAKE_BUILD_TYPE=Release -DDFA_BUILD_TESTS=OFF -DDFA_BUILD_SQLITE=ON >/dev/null
cmake --build build-bench-sql -j"$(nproc)" --target dfa-sqlite >/dev/null
rows=1000000
repeat=${REPEAT:-5}
out=build-bench-sql/results
mkdir -p "$out"

# Each query of the name|sql pairs on standard input REPEAT times: a row's work, over columns a
# and b (dates) of table t.
repeated() {
    while IFS='|' read -r name sql; do
        i=0
        while [ $i -lt "$repeat" ]; do echo "SELECT '$name', $sql FROM t;"; i=$((i + 1)); done
    done
}

# name|sql pairs: the extensions' functions, the same in both engines, then each engine's peers.
ours='QvDate_IsLeapYear|sum(qvdate_isleapyear(a))
QvDate_DaysInMonth|sum(qvdate_daysinmonth(a))
QvDate_WeeksInYear|sum(qvdate_weeksinyear(a))
QvDate_GetDiffWeeks|sum(qvdate_getdiffweeks(a, b))
QvDate_GetDiffMonths|sum(qvdate_getdiffmonths(a, b))
QvDate_GetDiffYears ISO|sum(qvdate_getdiffyears(a, b, 1))'
queries='read|count(a)
julianday(a)|sum(julianday(a))
julianday(b) - julianday(a)|sum(julianday(b) - julianday(a))
strftime(%j)|sum(strftime('"'"'%j'"'"', a))'

# SQLite: dates as text, as SQLite keeps them.
{
    echo ".load build-bench-sql/sqlite/dfa"
    echo "CREATE TABLE t AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows)
          SELECT date(2415021 + abs(random()) % 73049) AS a, date(2415021 + abs(random()) % 73049) AS b FROM n;"
    echo ".timer on"
    printf '%s\n%s\n' "$queries" "$ours" | repeated
} | sqlite3 :memory: >"$out/sqlite.txt"

# PostgreSQL: the same rows as date, no parallel workers.
make -s -C build-bench-sql -f "$PWD/hosts/postgresql/Makefile" VPATH="$PWD/hosts/postgresql" USE_PGXS=1 install
pg_queries="read|count(a)
extract(isoyear)|sum(extract(isoyear from a))
b - a|sum(b - a)
age() months|sum(extract(year from age(b, a)) * 12 + extract(month from age(b, a)))"
{
    echo "SET max_parallel_workers_per_gather = 0;"
    echo "CREATE EXTENSION dfa;"
    echo "CREATE TABLE t AS SELECT DATE '1900-01-01' + (random() * 73048)::int AS a,
          DATE '1900-01-01' + (random() * 73048)::int AS b FROM generate_series(1, $rows); VACUUM ANALYZE t;"
    printf '%s\n' '\timing on'
    printf '%s\n%s\n' "$pg_queries" "$ours" | repeated
} >"$out/postgresql.sql"
NONROOT=1 pg_virtualenv -v 15 psql -X -A -t -f "$out/postgresql.sql" >"$out/postgresql.txt"

# The fastest run of each query, less the read's, per row.
report() {
    awk -v rows=$rows -v engine="$1" '
        /^Run Time: real/ { t = $4 * 1000 }              # sqlite3: seconds
        /^Time: / { t = $2 }                              # psql: milliseconds
        /\|/ { split($0, f, "|"); name = f[1] }
        t != "" && name != "" { if (!(name in best) || t < best[name]) best[name] = t; if (!(name in seen)) { seen[name] = 1; order[++n] = name }; t = ""; name = "" }
        END {
            printf "%s, %d rows: ns per row beyond reading it\n", engine, rows
            for (i = 1; i <= n; i++) if (order[i] != "read")
                printf "  %-26s %8.1f\n", order[i], (best[order[i]] - best["read"]) * 1e6 / rows
        }' "$2"
}
report SQLite "$out/sqlite.txt"
report PostgreSQL "$out/postgresql.txt"
