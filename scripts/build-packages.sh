#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian packages, built the Debian way from a copy of this tree in build-deb/<arch>/: natively
# with dpkg-buildpackage (its tests included), and cross for other architectures with
# -Pcross,nocheck,pkg.dfa.nognumeric,pkg.dfa.nopostgresql (the Gnumeric plugin and the PostgreSQL
# extension need development files of that architecture). lintian may report no error or warning
# on any; the native packages' autopkgtests run on this machine (installing the packages, and
# purging them after).
#   build-packages.sh [ARCH...]      default: this machine's architecture
# The native build is the source package's: the upstream tarball is the checkout's files as they
# are in the working tree (debian/ aside), dpkg-source -b makes the .dsc from it and debian/, and
# the packages are built from that .dsc unpacked by dpkg-source -x, as anyone would rebuild them.
# Every build lies in a folder deeper than 100 bytes, as on Debian's build daemons, so that no test
# depends on a short path.
set -eu
cd "$(dirname "$0")/.."
native=$(dpkg --print-architecture)
arches=${*:-$native}
sh scripts/install-deps.sh packages $arches
version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}
deep=a-folder-as-deep-as-on-a-build-daemon-so-that-no-test-depends-on-a-short-path
for arch in $arches; do
    out=build-deb/$arch
    tree="$out/$deep/dfa-$upstream"
    rm -rf "$out"
    mkdir -p "$out/$deep"
    echo "=== $out"
    if [ "$arch" = "$native" ]; then
        git ls-files -z -- . ':!debian' |
            tar --null -T - --sort=name --owner=0 --group=0 --transform "s,^,dfa-$upstream/," -czf "$out/dfa_$upstream.orig.tar.gz"
        mkdir -p "$out/stage"
        tar xzf "$out/dfa_$upstream.orig.tar.gz" -C "$out/stage"
        git ls-files -z debian | xargs -0 cp --parents -t "$out/stage/dfa-$upstream"
        (cd "$out" && dpkg-source -b "stage/dfa-$upstream")
        rm -rf "$out/stage"
        cp "$out/dfa_$upstream.orig.tar.gz" "$out/$deep/"
        (cd "$out/$deep" && dpkg-source -x "../dfa_$version.dsc" "dfa-$upstream")
        (cd "$tree" && dpkg-buildpackage -us -uc)
    else
        mkdir -p "$tree"
        git ls-files -z | xargs -0 cp -P --parents -t "$tree"
        (cd "$tree" && dpkg-buildpackage -a "$arch" -Pcross,nocheck,pkg.dfa.nognumeric,pkg.dfa.nopostgresql -us -uc -B)
    fi
    find "$out/$deep" -maxdepth 1 -type f -exec mv -f -t "$out" {} +
    lintian --display-info --fail-on error,warning "$out"/*.changes
    ls "$out"/*.deb
done
if echo " $arches " | grep -q " $native "; then
    echo "=== autopkgtest of build-deb/$native"
    # The packages are installed for the tests and removed after them, so that no installed
    # plugin shadows the one a later build tests.
    trap 'apt-get purge -y -qq dfa dfa-dev dfa-host dfa-gnumeric sqlite3-dfa $(dpkg-query -W -f "\${Package} " "postgresql-*-dfa" 2>/dev/null) >/dev/null 2>&1 || true' EXIT
    summary=build-deb/$native/autopkgtest-summary
    rc=0
    autopkgtest --summary-file="$summary" build-deb/"$native"/*.deb "build-deb/$native/$deep/dfa-$upstream" -- null || rc=$?
    # After the tests, autopkgtest restores the package lists with apt-get update: a mirror in
    # the middle of a sync fails that (status 20) though every test has passed. Only then is
    # the run taken, and said so; any test that did not pass fails it.
    if [ "$rc" = 20 ] && [ -s "$summary" ] && ! grep -qv ' PASS$' "$summary"; then
        echo "autopkgtest: every test passed; restoring the package lists afterwards failed (status 20)"
    elif [ "$rc" != 0 ]; then
        exit "$rc"
    fi
fi
