#!/bin/sh
# SPDX-License-Identifier: MIT
# Every test, as CI runs it: installs what it needs, then builds with warnings as errors and runs
# the whole suite for x86-64 (gcc, with the Gnumeric plugin in Gnumeric itself), for every other
# architecture (natively where this machine can run it, else under qemu), with clang and a
# linker that keeps every library, under AddressSanitizer + UndefinedBehaviorSanitizer (with
# the fuzzer, which then runs DFA_FUZZ_SECONDS, default 60) and under ThreadSanitizer; then
# builds and tests the WebAssembly add-in with its npm package and page, the DuckDB extension,
# the JVM host (Flink and Trino too) and the Python package, the PostgreSQL extension on PostgreSQL 13, 16, 17 and 18,
# and builds the Debian packages of amd64, i386, arm64 and s390x and runs the autopkgtests.
#   DFA_ARCHES="arm64 s390x" sh scripts/test-all.sh   runs only those other architectures
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh test
jobs=$(nproc)
arches=${DFA_ARCHES:-i386 arm64 armel armhf mips64el mipsel ppc64el s390x riscv64}
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
started=$(date +%s)

# run_suite NAME [configure options...]: build-NAME, every test; one summary line.
run_suite() {
    name=$1
    shift
    dir=build-$name
    echo "=== $dir: $*"
    t0=$(date +%s)
    cmake -S . -B "$dir" -DDFA_WERROR=ON -DDFA_BUILD_TESTS=ON "$@"
    cmake --build "$dir" -j"$jobs"
    t1=$(date +%s)
    if ! (cd "$dir" && ctest -j"$jobs" --output-on-failure) >"$dir/ctest.log" 2>&1; then
        cat "$dir/ctest.log"
        echo "=== $dir: tests failed" >&2
        exit 1
    fi
    tail -n 12 "$dir/ctest.log"
    t2=$(date +%s)
    passed=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' "$dir/ctest.log")
    printf '%-12s build %4ss  tests %4ss  %s of %s passed\n' "$name" $((t1 - t0)) $((t2 - t1)) \
        $((${passed% *} - ${passed#* })) "${passed% *}" >>"$summary"
}

run_suite test -DDFA_BUILD_GNUMERIC=ON
for arch in $arches; do
    run_suite "test-$arch" --toolchain "cmake/toolchain-$arch.cmake"
done
CC=clang CXX=clang++ run_suite test-clang -DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-as-needed
# Every sanitizer report fails the run: recovery is off and these make the runtimes exit.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1
CC=clang CXX=clang++ run_suite test-asan -DDFA_SANITIZE=address,undefined -DDFA_FUZZ=ON
CC=clang CXX=clang++ run_suite test-tsan -DDFA_SANITIZE=thread

echo "=== build-test-asan: ${DFA_FUZZ_SECONDS:-60} s of libFuzzer"
mkdir -p build-test-asan/corpus
build-test-asan/dfa_fuzz -max_total_time="${DFA_FUZZ_SECONDS:-60}" -print_final_stats=1 build-test-asan/corpus fuzz/corpus
# The SQLite extension's reader of dates, against SQLite's own reading.
mkdir -p build-test-asan/sqlite-corpus
build-test-asan/sqlite_date_fuzz -max_total_time="${DFA_SQLITE_FUZZ_SECONDS:-30}" -print_final_stats=1 \
    build-test-asan/sqlite-corpus fuzz/sqlite-corpus

# The add-in in WebAssembly: the npm package packed, installed from its tarball into an empty
# folder, its tests run in Node.js against this build's native dfa-host, the page in Chromium.
t0=$(date +%s)
DFA_HOST=build-test/dfa-host sh scripts/build-web.sh test
echo "web          $(($(date +%s) - t0)) s: dfa.wasm, npm package, Node.js, Chromium, bundler, Handsontable and Univer tests passed" >>"$summary"

# The DuckDB extension, in the DuckDB of the npm registry, against this build's dfa-host.
t0=$(date +%s)
DFA_HOST=build-test/dfa-host sh scripts/build-duckdb.sh test
echo "duckdb       $(($(date +%s) - t0)) s: dfa.duckdb_extension, refused unsigned, case and typed tables and 100,000 rows passed; the case table in DuckDB 1.2 to 2.0" >>"$summary"

# The JVM host: the jar (dfa.wasm compiled to JVM bytecode), its tests against this build's
# dfa-host and the misbehaving add-ins, in Spark SQL and as Hive functions (Spark in local mode,
# pyspark's jars; Hive 2 and 4 alone) and in Flink's local cluster; Trino's plugin (Java 25) in
# Trino's own server. Before the Python package, whose PyFlink test takes the jar.
t0=$(date +%s)
DFA_HOST=build-test/dfa-host sh scripts/build-jvm.sh test
echo "jvm          $(($(date +%s) - t0)) s: dfa-dates-jvm jar, Trino's plugin; Java API, fault modules, case and typed tables, 100,000 pairs, 8 threads, Spark SQL, Hive 2 and 4, Flink and Trino tests passed" >>"$summary"

# The Python package: sdist and a manylinux wheel per CPython (3.11 to 3.13), each wheel's tests in a fresh virtual environment
# with pandas, Polars, Dask (a local cluster) and Spark (local mode); PyFlink with the JVM host's jar.
t0=$(date +%s)
DFA_HOST=build-test/dfa-host sh scripts/build-python.sh test
echo "python       $(($(date +%s) - t0)) s: sdist, manylinux wheels for CPython 3.11 to 3.13; numpy, pandas, Polars, pyarrow, DataFusion, Dask, Spark, formulas and pycel tests passed on each; PyFlink's" >>"$summary"

# The PostgreSQL extension on PostgreSQL 13, 16, 17 and 18 (15 is the Debian packages').
t0=$(date +%s)
sh scripts/build-postgresql.sh
echo "postgresql   $(($(date +%s) - t0)) s: the extension built and its regression tests passed on PostgreSQL 13, 16, 17 and 18" >>"$summary"

# The Debian packages, built by dpkg-buildpackage natively (with its tests) and cross for three
# more architectures, checked by lintian; the native ones installed and their autopkgtests run.
t0=$(date +%s)
sh scripts/build-packages.sh "$(dpkg --print-architecture)" i386 arm64 s390x
echo "packages     $(($(date +%s) - t0)) s: amd64 (tested, PostgreSQL regression tests), i386, arm64, s390x; lintian clean; autopkgtests passed" >>"$summary"

echo "=== summary ($(($(date +%s) - started)) s in all)"
cat "$summary"
# Any failure above has stopped the script (set -e); reaching here means every job passed.
