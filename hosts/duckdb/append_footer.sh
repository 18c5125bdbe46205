#!/bin/sh
# SPDX-License-Identifier: MIT
# The file DuckDB loads: the shared object followed by the 512-byte footer its loader reads.
# The footer's first 256 bytes are eight fields of 32 bytes, NUL-padded, read last to first:
# the magic value "4", the platform, the C API version, the extension's version, the ABI type;
# three unused. Then 256 bytes of signature, empty: the file is unsigned.
#   append_footer.sh LIBRARY OUTPUT PLATFORM CAPI_VERSION EXTENSION_VERSION
set -eu
mkdir -p "$(dirname "$2")"
field() {
    [ ${#1} -le 32 ] || { echo "append_footer.sh: '$1' is longer than 32 bytes" >&2; exit 2; }
    printf '%s' "$1"
    head -c $((32 - ${#1})) /dev/zero
}
{
    cat "$1"
    field ""
    field ""
    field ""
    field C_STRUCT
    field "$5"
    field "$4"
    field "$3"
    field 4
    head -c 256 /dev/zero
} >"$2.tmp"
mv "$2.tmp" "$2"
