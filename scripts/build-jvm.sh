#!/bin/sh
# SPDX-License-Identifier: MIT
# The add-in on the JVM: builds dfa.wasm with the WebAssembly toolchain (build-jvm/wasm), then
# with Maven the jar that runs it, compiled to JVM bytecode by Chicory at build time, with
# Chicory inside under a package of its own: build-jvm/dfa-dates-jvm-<version>.jar (with its
# POM, sources and javadoc jars beside it); then, with Java 25 (JDK25, default
# /usr/lib/jvm/temurin-25-jdk-amd64), Trino's plugin on that jar: build-jvm/dfa-dates-trino-<version>.jar
# and the plugin's folder zipped, build-jvm/dfa-dates-trino-<version>-plugin.zip.
#   build-jvm.sh        build
#   build-jvm.sh test   also run the tests, against the native dfa-host (DFA_HOST, default
#                       build/dfa-host, built if missing) and the misbehaving add-ins, Spark's and
#                       Hive 2's on the jars of each pyspark the Python package is tested with
#                       (Spark 4 and 3.5, in build-jvm/venv-pyspark-<version>), Hive 4's on its jar
#                       from Maven, Flink's in Flink's local cluster (Flink from Maven), Trino's
#                       in Trino's own server (trino-testing from Maven)
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh jvm
out=build-jvm
cmake -S . -B "$out/wasm" --toolchain cmake/toolchain-wasm32.cmake -DDFA_WERROR=ON >/dev/null
if [ "${1:-}" = test ]; then
    cmake --build "$out/wasm" -j"$(nproc)"   # the add-in and the misbehaving add-ins the loader's tests run
else
    cmake --build "$out/wasm" -j"$(nproc)" --target dfa_wasm
fi
version=$(dpkg-parsechangelog -S Version 2>/dev/null || sed -n '1s/^dfa (\([^)-]*\).*/\1/p' debian/changelog)
version=${version%-*}
# Every file of the jars stamped with the time of the changelog's newest entry: the same sources
# make the same jars.
stamp=$(date -u -d "$(sed -n 's/^ -- .*>  //p' debian/changelog | head -n 1)" +%Y-%m-%dT%H:%M:%SZ)
jdk25=${JDK25:-/usr/lib/jvm/temurin-25-jdk-amd64}
[ -x "$jdk25/bin/javac" ] || { echo "build-jvm.sh: no Java 25 in $jdk25 (set JDK25): Trino's plugin needs it" >&2; exit 1; }
maven="mvn -B -q -f hosts/jvm/pom.xml -Drevision=$version -Ddfa.wasm=$PWD/$out/wasm/dfa.wasm -Dproject.build.outputTimestamp=$stamp"
if [ "${1:-}" = test ]; then
    host=$(sh scripts/native-host.sh)
    # Spark and Hive for the tests: the jars of each pyspark the Python package is tested with;
    # the jar is built against the newest, and its Spark and Hive tests run again on the others.
    env="DFA_HOST=$host DFA_CASE_TABLE=$PWD/tests/sql/cases.csv DFA_TYPED_TABLE=$PWD/tests/sql/typed_cases.csv
        DFA_HEADER=$PWD/include/dfa.h DFA_FAULTS_DIR=$PWD/$out/wasm/faults"
    sparks=$(sed -n 's/^pyspark==\([0-9.]*\).*/\1/p' hosts/python/tests/requirements.txt | sort -V -r)
    newest=$(echo "$sparks" | head -n 1)
    for spark in $sparks; do
        venv=$out/venv-pyspark-$spark
        if [ ! -x "$venv/bin/python" ]; then python3 -m venv "$venv"; fi
        "$venv/bin/pip" install -q --disable-pip-version-check "pyspark==$spark"
        jars=$("$venv/bin/python" -c 'import glob, os, pyspark; print(",".join(sorted(glob.glob(os.path.join(os.path.dirname(pyspark.__file__), "jars", "*.jar")))))')
        if [ "$spark" = "$newest" ]; then
            env $env $maven -Dspark.version="$spark" -Ddfa.test.classpath="$jars" -Ddfa.build="$PWD/$out/maven" package
        else
            env $env $maven -Ddfa.test.classpath="$jars" -Ddfa.build="$PWD/$out/maven" -Dtest='SparkTest,HiveTest' surefire:test
        fi
        echo "Spark's and Hive's tests passed on Spark $spark"
    done
    # Flink's functions in Flink's local cluster, on Flink from Maven (its jars and Spark's share names).
    env $env $maven -Pflink -Ddfa.build="$PWD/$out/maven" -Dtest=FlinkTest surefire:test
    echo "Flink's tests passed on Flink $(sed -n 's:.*<flink.version>\(.*\)</flink.version>.*:\1:p' hosts/jvm/pom.xml)"
    # The Java API's tests again on Java 25.
    env $env $maven -Ddfa.build="$PWD/$out/maven" -Djvm="$jdk25/bin/java" -Dtest='DfaTest,AddinFaultsTest' surefire:test
    echo "the Java API's tests passed on $("$jdk25/bin/java" -version 2>&1 | head -n 1)"
    # A second build, elsewhere: the same jars, byte for byte.
    $maven -DskipTests -Ddfa.build="$PWD/$out/again" package
    for jar in "$out/maven/dfa-dates-jvm-$version"*.jar; do
        cmp "$jar" "$out/again/${jar##*/}" || { echo "build-jvm.sh: ${jar##*/} differs between two builds" >&2; exit 1; }
    done
    echo "the jars are reproducible: two builds, the same bytes"
else
    $maven -DskipTests -Ddfa.build="$PWD/$out/maven" package
fi
for jar in "$out/maven/dfa-dates-jvm-$version"*.jar; do cp "$jar" "$out/"; done
cp "$out/maven/flattened-pom.xml" "$out/dfa-dates-jvm-$version.pom"

# Trino's plugin on the jar just built, which Maven takes from the local repository.
mvn -B -q install:install-file -Dfile="$out/dfa-dates-jvm-$version.jar" -DpomFile="$out/dfa-dates-jvm-$version.pom"
trino="env JAVA_HOME=$jdk25 mvn -B -q -f hosts/trino/pom.xml -Drevision=$version -Dproject.build.outputTimestamp=$stamp"
if [ "${1:-}" = test ]; then
    env $env $trino -Ddfa.build="$PWD/$out/trino" package
    echo "Trino's tests passed on Trino $(sed -n 's:.*<trino.version>\(.*\)</trino.version>.*:\1:p' hosts/trino/pom.xml)"
    $trino -DskipTests -Ddfa.build="$PWD/$out/trino-again" package
    for file in "$out/trino/dfa-dates-trino-$version.jar" "$out/trino/dfa-dates-trino-$version-plugin.zip"; do
        cmp "$file" "$out/trino-again/${file##*/}" || { echo "build-jvm.sh: ${file##*/} differs between two builds" >&2; exit 1; }
    done
    echo "Trino's plugin is reproducible: two builds, the same bytes"
else
    $trino -DskipTests -Ddfa.build="$PWD/$out/trino" package
fi
cp "$out/trino/dfa-dates-trino-$version.jar" "$out/trino/dfa-dates-trino-$version-plugin.zip" "$out/"
ls -l "$out"/*.jar "$out"/*.pom "$out"/*.zip
