#!/bin/sh
# SPDX-License-Identifier: MIT
# Photographs the example workbook open in Gnumeric, on a virtual X server, for the README:
# examples/dates-in-gnumeric.png.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh screenshot
cmake -S . -B build -DDFA_BUILD_GNUMERIC=ON
cmake --build build -j"$(nproc)" --target dfa-gnumeric
export GNUMERIC_PLUGIN_PATH="$PWD/build/gnumeric-plugins" HOME="$PWD/build/gnumeric-home"
mkdir -p "$HOME"
out=examples/dates-in-gnumeric.png
# Gnumeric opens the workbook, recalculates it, and is photographed once it has drawn.
xvfb-run --auto-servernum --server-args="-screen 0 1280x720x24" sh -c '
    gnumeric --geometry=1280x720+0+0 examples/dates.gnumeric >/dev/null 2>&1 &
    pid=$!
    sleep 8
    import -window root -crop 1280x535+0+0 +repage "$0"
    kill $pid' "$out"
echo "wrote $out"
