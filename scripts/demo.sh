#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds libdfa.so and dfa-host, then uses the add-in the way a spreadsheet host does.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh build
cmake -S . -B build -DDFA_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
set -x
build/dfa-host list
build/dfa-host call QvDate_WeeksInYear 2026-01-01
build/dfa-host call QvDate_GetDiffMonths 2005-01-31 2005-02-28 0
build/dfa-host call QvDate_GetDiffMonths 2005-01-31 2005-02-28 1
build/dfa-host call QvDate_DaysInMonth 2004-02-10
build/dfa-host info
printf 'QvDate_IsLeapYear 2000-06-01\nQvDate_GetDiffYears 1990-03-01 2026-12-08 0\n' | build/dfa-host call -
