#!/bin/sh
# SPDX-License-Identifier: MIT
# What a cell of the add-in costs in Gnumeric: 65,536 formula cells (a sheet's rows) recalculated by ssconvert,
# half months differences and half days in the month, against the same sheet with Gnumeric's
# own equivalents (DATEDIF "m", DAY(EOMONTH())) and against a sheet of constants. Each sheet is
# recalculated REPEAT times (default 5), the fastest run counts; a cell's cost is its sheet's time
# less the constants' sheet, divided by the cells.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh gnumeric
cmake -S . -B build-bench-gnumeric -DCMAKE_BUILD_TYPE=Release -DDFA_BUILD_TESTS=OFF -DDFA_BUILD_GNUMERIC=ON >/dev/null
cmake --build build-bench-gnumeric -j"$(nproc)" >/dev/null
dir=build-bench-gnumeric/sheets
mkdir -p "$dir"
export GNUMERIC_PLUGIN_PATH="$PWD/build-bench-gnumeric/gnumeric-plugins" HOME="$PWD/$dir"
cells=65536  # the rows of a Gnumeric sheet: more would be dropped
repeat=${REPEAT:-5}

# sheet NAME MONTHS-FORMULA DAYS-FORMULA: every row holds two dates (A, B) and one formula (C).
sheet() {
    awk -v cells=$cells -v months="$2" -v days="$3" 'BEGIN {
        print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        print "<gnm:Workbook xmlns:gnm=\"http://www.gnumeric.org/v10.dtd\">"
        print "<gnm:SheetNameIndex><gnm:SheetName>S</gnm:SheetName></gnm:SheetNameIndex>"
        print "<gnm:Sheets><gnm:Sheet><gnm:Name>S</gnm:Name><gnm:Cells>"
        srand(1)
        for (r = 0; r < cells; r++) {
            a = 36526 + int(rand() * 36525); b = a + int(rand() * 3650)
            f = (r % 2 ? months : days); gsub(/#/, r + 1, f)
            printf "<gnm:Cell Row=\"%d\" Col=\"0\" ValueType=\"40\">%d</gnm:Cell>", r, a
            printf "<gnm:Cell Row=\"%d\" Col=\"1\" ValueType=\"40\">%d</gnm:Cell>", r, b
            printf "<gnm:Cell Row=\"%d\" Col=\"2\">%s</gnm:Cell>\n", r, f
        }
        print "</gnm:Cells></gnm:Sheet></gnm:Sheets></gnm:Workbook>"
    }' > "$dir/$1.gnumeric"
}
sheet addin '=QvDate_GetDiffMonths(A#,B#,0)' '=QvDate_DaysInMonth(A#)'
sheet gnumeric '=DATEDIF(A#,B#,&quot;m&quot;)' '=DAY(EOMONTH(A#,0))'
sheet constants '=7' '=7'

# Fastest of $repeat recalculations, in seconds.
fastest() {
    best=""
    i=0
    while [ $i -lt "$repeat" ]; do
        start=$(date +%s.%N)
        ssconvert --recalc "$dir/$1.gnumeric" "$dir/$1.csv" 2>"$dir/$1.err"
        # Gnumeric's warnings (a sheet it had to cut, say) make the figures meaningless.
        if [ -s "$dir/$1.err" ]; then cat "$dir/$1.err" >&2; exit 1; fi
        end=$(date +%s.%N)
        best=$(echo "$start $end ${best:-1e9}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
        i=$((i + 1))
    done
    echo "$best"
}
# The sheets compute what they should: ours and Gnumeric's agree cell for cell.
ours=$(fastest addin)
theirs=$(fastest gnumeric)
base=$(fastest constants)
cmp -s "$dir/addin.csv" "$dir/gnumeric.csv" || { echo "the add-in's sheet and Gnumeric's differ" >&2; exit 1; }
awk -v ours="$ours" -v theirs="$theirs" -v base="$base" -v cells=$cells 'BEGIN {
    printf "%-36s %10s %16s\n", "sheet of " cells " formula cells", "seconds", "us per cell"
    printf "%-36s %10.3f %16s\n", "constants (=7)", base, "-"
    printf "%-36s %10.3f %16.3f\n", "Gnumeric: DATEDIF, DAY(EOMONTH())", theirs, (theirs - base) / cells * 1e6
    printf "%-36s %10.3f %16.3f\n", "add-in: GetDiffMonths, DaysInMonth", ours, (ours - base) / cells * 1e6
    printf "a cell of the add-in costs %.2f times a cell of Gnumeric'"'"'s own\n", (ours - base) / (theirs - base)
}'
