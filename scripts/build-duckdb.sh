#!/bin/sh
# SPDX-License-Identifier: MIT
# The DuckDB extension: fetches the C extension API headers from DuckDB's npm package (the
# version below), builds build-duckdb/dfa.duckdb_extension and the description for a
# community-extension submission, build-duckdb/description.yml.
#   build-duckdb.sh        build (and build-duckdb/linux_arm64/dfa.duckdb_extension for Linux on arm64)
#   build-duckdb.sh test   also run its tests in the DuckDB of the npm registry (the version in
#                          hosts/duckdb/test/package.json), against the native dfa-host (DFA_HOST,
#                          default build/dfa-host, built if missing), and the case table in
#                          DuckDB 1.2, 1.3, 1.4, 1.5 and 2.0 (PyPI's, in build-duckdb/venv), and the
#                          arm64 file in 2.0's aarch64 build under qemu (scripts/arm64-python.sh)
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh duckdb
headers_package=duckdb@1.4.4
# The DuckDB versions whose Python packages run the case table; the tests' own DuckDB is in
# hosts/duckdb/test/package.json.
duckdb_versions="1.2.2 1.3.2 1.4.5 1.5.6 2.0.1"
out=build-duckdb
headers="$PWD/$out/headers-$headers_package"
if [ ! -f "$headers/package/src/duckdb/src/include/duckdb_extension.h" ]; then
    rm -rf "$headers"
    mkdir -p "$headers"
    (cd "$headers" && npm pack --silent "$headers_package" >/dev/null && tar xzf ./*.tgz package/src/duckdb/src/include)
fi
cmake -S . -B "$out/build" -DDFA_WERROR=ON -DDFA_BUILD_TESTS=OFF -DDFA_BUILD_GNUMERIC=OFF -DDFA_BUILD_SQLITE=OFF \
    -DDFA_DUCKDB_INCLUDE="$headers/package/src/duckdb/src/include" >/dev/null
cmake --build "$out/build" -j"$(nproc)" --target dfa-duckdb
cp "$out/build/duckdb/dfa.duckdb_extension" "$out/build/hosts/duckdb/description.yml" "$out/"
# DuckDB 1.2's name for x86-64 Linux, where this machine is one.
if [ -f "$out/build/duckdb/linux_amd64_gcc4/dfa.duckdb_extension" ]; then
    mkdir -p "$out/linux_amd64_gcc4"
    cp "$out/build/duckdb/linux_amd64_gcc4/dfa.duckdb_extension" "$out/linux_amd64_gcc4/"
fi
# And for Linux on arm64, cross-built by Debian's aarch64 toolchain.
cmake -S . -B "$out/build-arm64" --toolchain cmake/toolchain-arm64.cmake -DDFA_WERROR=ON -DDFA_BUILD_TESTS=OFF \
    -DDFA_BUILD_GNUMERIC=OFF -DDFA_BUILD_SQLITE=OFF -DDFA_DUCKDB_INCLUDE="$headers/package/src/duckdb/src/include" >/dev/null
cmake --build "$out/build-arm64" -j"$(nproc)" --target dfa-duckdb
mkdir -p "$out/linux_arm64"
cp "$out/build-arm64/duckdb/dfa.duckdb_extension" "$out/linux_arm64/"
echo "built $out/dfa.duckdb_extension and $out/linux_arm64/dfa.duckdb_extension (DuckDB C API headers of $headers_package)"

if [ "${1:-}" = test ]; then
    host=$(sh scripts/native-host.sh)
    rm -rf "$out/test"
    mkdir -p "$out/test"
    cp hosts/duckdb/test/package.json hosts/duckdb/test/*.test.mjs "$out/test/"
    (cd "$out/test" && npm install --silent --no-audit --no-fund &&
        DFA_DUCKDB_EXTENSION="$PWD/../dfa.duckdb_extension" DFA_CASE_TABLE="$PWD/../../tests/sql/cases.csv" \
        DFA_TYPED_TABLE="$PWD/../../tests/sql/typed_cases.csv" DFA_HOST="$host" \
        node --test ./*.test.mjs)
    # The case table in each DuckDB line users run, from PyPI, each loading its platform's file.
    if [ ! -x "$out/venv/bin/python" ]; then python3 -m venv "$out/venv"; fi
    for version in $duckdb_versions; do
        "$out/venv/bin/pip" install -q --disable-pip-version-check "duckdb==$version"
        DFA_DUCKDB_DIR="$PWD/$out" DFA_CASE_TABLE="$PWD/tests/sql/cases.csv" "$out/venv/bin/python" hosts/duckdb/test/case_table.py
    done
    # The arm64 file in the newest of them, PyPI's aarch64 DuckDB in Debian's arm64 CPython under qemu.
    newest=${duckdb_versions##* }
    sh scripts/arm64-python.sh "$out/arm64-python" "duckdb==$newest"
    DFA_DUCKDB_DIR="$PWD/$out" DFA_CASE_TABLE="$PWD/tests/sql/cases.csv" QEMU_LD_PREFIX="$PWD/$out/arm64-python" \
        PYTHONPATH="$PWD/$out/arm64-python/site" qemu-aarch64 "$out/arm64-python/usr/bin/python3.11" hosts/duckdb/test/case_table.py
fi
