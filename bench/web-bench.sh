#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the web package and runs bench/web-bench.mjs where it is installed from its tarball.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-web.sh
cp bench/web-bench.mjs build-web/try/
cd build-web/try && node web-bench.mjs
