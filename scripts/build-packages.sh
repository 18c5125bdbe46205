#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian packages, built the Debian way from a copy of this tree in build-deb/<arch>/: natively
# with dpkg-buildpackage (its tests included), and cross for other architectures with
# -Pcross,nocheck,pkg.dfa.nognumeric,pkg.dfa.nopostgresql (the Gnumeric plugin and the PostgreSQL
# extension need development files of that architecture). lintian may report no error or warning on any; the native packages'
# autopkgtests run on this machine (installing the packages, and purging them after).
#   build-packages.sh [ARCH...]      default: the native architecture, i386, arm64 and s390x
set -eu
cd "$(dirname "$0")/.."
native=$(dpkg --print-architecture)
arches=${*:-$native i386 arm64 s390x}
sh scripts/install-deps.sh packages $arches
for arch in $arches; do
    out=build-deb/$arch
    rm -rf "$out"
    mkdir -p "$out/src"
    # The files of the checkout, as they are in the working tree.
    git ls-files -z | xargs -0 cp --parents -t "$out/src"
    echo "=== $out"
    if [ "$arch" = "$native" ]; then
        (cd "$out/src" && dpkg-buildpackage -us -uc -b)
    else
        (cd "$out/src" && dpkg-buildpackage -a "$arch" -Pcross,nocheck,pkg.dfa.nognumeric,pkg.dfa.nopostgresql -us -uc -b)
    fi
    lintian --display-info --fail-on error,warning "$out"/*.changes
    ls "$out"/*.deb
done
if echo " $arches " | grep -q " $native "; then
    echo "=== autopkgtest of build-deb/$native"
    # The packages are installed for the tests and removed after them, so that no installed
    # plugin shadows the one a later build tests.
    trap 'apt-get purge -y -qq dfa dfa-dev dfa-host dfa-gnumeric sqlite3-dfa postgresql-15-dfa >/dev/null 2>&1 || true' EXIT
    autopkgtest build-deb/"$native"/*.deb build-deb/"$native"/src -- null
fi
