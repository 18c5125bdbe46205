#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the JVM host's jar and runs bench/JvmBench.java against it, then bench/jvm-spark-bench.py,
# bench/FlinkBench.java and bench/TrinoBench.java.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-jvm.sh
jar=$(ls build-jvm/dfa-dates-jvm-*.jar | grep -v -e sources -e javadoc)
mkdir -p build-jvm/bench
javac -d build-jvm/bench -cp "$jar" bench/JvmBench.java
java -cp "build-jvm/bench:$jar" JvmBench
# Spark SQL, with the pyspark build-jvm.sh tests with (build-jvm/venv; built by build-jvm.sh test).
if [ -x build-jvm/venv/bin/python ]; then build-jvm/venv/bin/python bench/jvm-spark-bench.py "$PWD/$jar"; fi
# Flink SQL, on Flink from Maven as the tests run it.
mvn -B -q -f hosts/jvm/pom.xml -Pflink dependency:build-classpath -Dmdep.outputFile="$PWD/build-jvm/bench/flink.classpath" -Dmdep.includeScope=test -Dmdep.excludeGroupIds=org.apache.spark,org.scala-lang,org.apache.hive
cp=$(cat build-jvm/bench/flink.classpath)
javac -d build-jvm/bench -cp "$jar:$cp" bench/FlinkBench.java
java -cp "build-jvm/bench:$jar:$cp" FlinkBench
# Trino SQL, in Trino's own server as the tests run it (Java 25, as build-jvm.sh builds the plugin).
jdk25=${JDK25:-/usr/lib/jvm/temurin-25-jdk-amd64}
version=${jar##*dfa-dates-jvm-}
JAVA_HOME=$jdk25 mvn -B -q -f hosts/trino/pom.xml -Drevision="${version%.jar}" dependency:build-classpath -Dmdep.outputFile="$PWD/build-jvm/bench/trino.classpath" -Dmdep.includeScope=test
cp="$jar:build-jvm/trino/classes:$(cat build-jvm/bench/trino.classpath)"
"$jdk25/bin/javac" -d build-jvm/bench -cp "$cp" bench/TrinoBench.java
"$jdk25/bin/java" --add-modules=jdk.incubator.vector -cp "build-jvm/bench:$cp" TrinoBench 2>/dev/null
