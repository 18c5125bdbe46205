#!/bin/sh
# SPDX-License-Identifier: MIT
# Checks the Debian packages a build made: lintian finds no error or warning, every package is
# of the build's architecture (the header's of all), holds the files it should, and the add-in
# inside needs libc alone. With "run", the packages are also unpacked into a scratch root (the
# machine's own system stays untouched) and the unpacked dfa-host and Gnumeric plugin are used.
#   check-packages.sh BUILD-DIR DEBIAN-ARCH [run]
set -eu
dir=$1/packages
arch=$2
version=$(sed -n '1s/^dfa (\([^)]*\)).*/\1/p' "$(dirname "$0")/../packaging/changelog")
fail() { echo "check-packages: $*" >&2; exit 1; }

echo "=== packages of $1 ($arch)"
ls "$dir"/*.deb
lintian --display-info "$dir"/*.deb 2>&1 | grep -v 'running with root privileges' || true
lintian --fail-on error,warning "$dir"/*.deb >/dev/null 2>&1 || fail "lintian reports errors or warnings"

# package  architecture  files (one extended regular expression per file, in order)
expect() {
    deb="$dir/$1_${version}_$2.deb"
    [ -f "$deb" ] || fail "missing $deb"
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$2" ] || fail "$deb: architecture $(dpkg-deb -f "$deb" Architecture)"
    shift 2
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }')
    [ "$(echo "$files" | wc -l)" -eq $# ] || fail "$deb holds $(echo "$files" | wc -l) files, expected $#:
$files"
    for pattern in "$@"; do
        echo "$files" | grep -Eqx "$pattern" || fail "$deb has no file matching $pattern:
$files"
    done
}
doc='./usr/share/doc/%s/(copyright|changelog.gz)'
expect dfa "$arch" './usr/lib/[a-z0-9_-]+-linux-gnu[a-z0-9]*/dfa/libdfa.so' \
    "$(printf "$doc" dfa)" "$(printf "$doc" dfa)"
expect dfa-dev all './usr/include/dfa.h' "$(printf "$doc" dfa-dev)" "$(printf "$doc" dfa-dev)"
expect dfa-host "$arch" './usr/bin/dfa-host' './usr/share/man/man1/dfa-host.1.gz' \
    "$(printf "$doc" dfa-host)" "$(printf "$doc" dfa-host)"
if [ -f "$dir/dfa-gnumeric_${version}_$arch.deb" ]; then
    expect dfa-gnumeric "$arch" './usr/lib/gnumeric/[0-9.]+/plugins/dfa/(dfa-gnumeric.so|plugin.xml|libdfa.so)' \
        './usr/lib/gnumeric/[0-9.]+/plugins/dfa/(dfa-gnumeric.so|plugin.xml|libdfa.so)' \
        './usr/lib/gnumeric/[0-9.]+/plugins/dfa/(dfa-gnumeric.so|plugin.xml|libdfa.so)' \
        "$(printf "$doc" dfa-gnumeric)" "$(printf "$doc" dfa-gnumeric)"
    depends=$(dpkg-deb -f "$dir/dfa-gnumeric_${version}_$arch.deb" Depends)
    gnumeric=$(dpkg-query -W -f='${Version}' gnumeric | sed 's/-[^-]*$//')
    case "$depends" in
        *"gnumeric (<< $gnumeric.0~)"*"gnumeric (>= $gnumeric)"*) ;;
        *) fail "dfa-gnumeric does not depend on exactly Gnumeric $gnumeric: $depends" ;;
    esac
fi

root=$(cd "$1" && pwd)/package-root
rm -rf "$root"
mkdir -p "$root"
for deb in "$dir"/*.deb; do dpkg-deb -x "$deb" "$root"; done
library=$(find "$root/usr/lib" -path '*/dfa/libdfa.so' -type f)
needed=$(readelf -d "$library" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ "$needed" = "libc.so.6" ] || fail "the packaged library needs: $needed"
readelf -n "$library" | grep -q 'Build ID' || fail "the packaged library lost its build id"
readelf -S "$library" | grep -q '\.symtab' && fail "the packaged library is not stripped"
echo "dfa-host depends on: $(dpkg-deb -f "$dir/dfa-host_${version}_$arch.deb" Depends)"

if [ "${3:-}" != run ]; then
    echo "packages of $1: all checks passed"
    exit 0
fi
# The unpacked host finds the unpacked library with no option.
host="$root/usr/bin/dfa-host"
"$host" list | head -3
[ "$("$host" call QvDate_WeeksInYear 2026-01-01)" = 53 ] || fail "unpacked dfa-host: weeks in 2026"
[ "$("$host" call QvDate_GetDiffMonths 2005-01-31 2005-02-28 1)" = 1 ] || fail "unpacked dfa-host: months"
[ "$(printf 'QvDate_IsLeapYear 2000-06-01\nQvDate_DaysInMonth 0000-03-01\n' | "$host" call - | tr '\n' ' ')" = "1 31 " ] ||
    fail "unpacked dfa-host: batch"
"$host" info | grep -q 'release number' || fail "unpacked dfa-host: info"
# The dependencies match what dpkg-shlibdeps finds for the same binary on this machine.
mkdir -p "$root/shlibdeps/debian" && printf 'Source: dfa\n\nPackage: dfa-host\nArchitecture: any\n' >"$root/shlibdeps/debian/control"
expected=$(cd "$root/shlibdeps" && dpkg-shlibdeps -O "$host" 2>"$root/shlibdeps.err" | sed 's/^shlibs:Depends=//')
[ -n "$expected" ] || fail "dpkg-shlibdeps found nothing: $(cat "$root/shlibdeps.err")"
actual=$(dpkg-deb -f "$dir/dfa-host_${version}_$arch.deb" Depends | sed 's/^dfa (= [^)]*), //')
[ "$expected" = "$actual" ] || fail "dfa-host depends on '$actual', dpkg-shlibdeps finds '$expected'"
# The unpacked Gnumeric plugin, with its link to the unpacked library.
if command -v ssconvert >/dev/null && [ -d "$root/usr/lib/gnumeric" ]; then
    plugins=$(dirname "$(find "$root/usr/lib/gnumeric" -name plugin.xml -path '*/dfa/*')")
    HOME="$root" GNUMERIC_PLUGIN_PATH="$(dirname "$plugins")" \
        ssconvert --recalc examples/dates.gnumeric "$root/dates.csv" 2>"$root/ssconvert.err"
    grep -q '^2004/02/29,2005/02/28,52,53,11,12,0,1$' "$root/dates.csv" ||
        fail "the unpacked Gnumeric plugin did not compute the example: $(cat "$root/ssconvert.err")"
fi
echo "packages of $1: all checks passed"
