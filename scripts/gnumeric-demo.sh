#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the add-in and its Gnumeric plugin, recalculates the example workbook with Gnumeric's
# ssconvert, and prints the computed table.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh gnumeric
cmake -S . -B build -DDFA_BUILD_GNUMERIC=ON
cmake --build build -j"$(nproc)"
# The plugin folder of the build tree; a home of its own keeps the user's settings out.
export GNUMERIC_PLUGIN_PATH="$PWD/build/gnumeric-plugins" HOME="$PWD/build/gnumeric-home"
mkdir -p "$HOME"
ssconvert --recalc examples/dates.gnumeric build/dates.csv
echo "examples/dates.gnumeric, recalculated:"
# The CSV as columns (no cell of it holds a comma).
awk -F, '{ gsub(/"/, ""); line = ""; for (i = 1; i <= NF; i++) line = line sprintf("%-18s", $i); sub(/ +$/, "", line); print line }' build/dates.csv
