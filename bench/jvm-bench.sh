#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the JVM host's jar and runs bench/JvmBench.java against it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-jvm.sh
jar=$(ls build-jvm/dfa-dates-jvm-*.jar | grep -v -e sources -e javadoc)
mkdir -p build-jvm/bench
javac -d build-jvm/bench -cp "$jar" bench/JvmBench.java
java -cp "build-jvm/bench:$jar" JvmBench
