#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the DuckDB extension and its tests' DuckDB, and runs bench/duckdb-bench.mjs with them.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-duckdb.sh
mkdir -p build-duckdb/bench
cp hosts/duckdb/test/package.json bench/duckdb-bench.mjs build-duckdb/bench/
cd build-duckdb/bench && npm install --silent --no-audit --no-fund && DFA_DUCKDB_EXTENSION="$PWD/../dfa.duckdb_extension" node duckdb-bench.mjs
