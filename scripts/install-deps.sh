#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages that a job needs (run as root); does nothing when all are there.
#   install-deps.sh build      compiler and CMake: build the library and dfa-host
#   install-deps.sh gnumeric   also Gnumeric and its plugin headers: build and run the plugin
#   install-deps.sh screenshot also a virtual X server and ImageMagick: photograph Gnumeric
#   install-deps.sh web        clang for WebAssembly, Node.js with npm, Chromium: the web package
#   install-deps.sh duckdb     Node.js with npm: DuckDB's headers and, for the tests, DuckDB itself;
#                              venv for the DuckDB versions of PyPI the case table runs in; the
#                              aarch64 toolchain and qemu for the linux_arm64 file
#   install-deps.sh python     CMake and a C++ compiler for the wheel, venv, Java for Spark's tests,
#                              the aarch64 toolchain and qemu for the aarch64 wheels
#   install-deps.sh jvm        clang for WebAssembly, the JDK and Maven: the jar of the JVM host; venv
#                              for the pyspark whose jars its tests run on
#   install-deps.sh sql        SQLite's extension header and shell, PostgreSQL's server and PGXS
#   install-deps.sh postgresql also patchelf, venv and Maven: other PostgreSQL versions' servers
#   install-deps.sh packages [ARCH...]  debhelper, lintian, autopkgtest, Gnumeric's, SQLite's and
#                              PostgreSQL's development files, GoogleTest, and for each other
#                              architecture its cross toolchain and C library (dpkg --add-architecture)
#   install-deps.sh test       everything the test script uses: GoogleTest, clang (sanitizers,
#                              fuzzing), Google Benchmark, the XML parser, Gnumeric, every
#                              architecture's toolchain with qemu, and the packaging tools
set -eu
build="cmake make g++ binutils pkg-config"
gnumeric="$build gnumeric libgoffice-0.10-dev"
# g++-12-multilib, not g++-multilib: the latter conflicts with every cross compiler.
sql="libsqlite3-dev sqlite3 postgresql-all postgresql-server-dev-all"
wasm="clang lld-14 wasi-libc libc++-14-dev-wasm32 libclang-rt-14-dev-wasm32"
cross="g++-12-multilib libc6-dev-i386 qemu-user g++-aarch64-linux-gnu g++-arm-linux-gnueabi \
g++-arm-linux-gnueabihf g++-mips64el-linux-gnuabi64 g++-mipsel-linux-gnu g++-powerpc64le-linux-gnu \
g++-s390x-linux-gnu g++-riscv64-linux-gnu"
case "${1:-build}" in
    build) packages=$build ;;
    gnumeric) packages=$gnumeric ;;
    screenshot) packages="$gnumeric xvfb xauth imagemagick" ;;
    bench) packages="$build libbenchmark-dev" ;;
    sql) packages="$build $sql" ;;
    postgresql) packages="$build $sql patchelf python3-venv maven" ;;
    duckdb) packages="$build nodejs python3-venv g++-aarch64-linux-gnu qemu-user" ;;
    python) packages="$build python3-venv g++-aarch64-linux-gnu qemu-user" ;;
    web) packages="$build $wasm nodejs chromium" ;;
    jvm) packages="$build $wasm openjdk-17-jdk-headless maven python3-venv" ;;
    packages) packages="$gnumeric $sql googletest libexpat1-dev debhelper dpkg-dev fakeroot lintian autopkgtest" ;;
    test) packages="$gnumeric $sql patchelf python3-venv $cross googletest libexpat1-dev clang libclang-rt-14-dev libbenchmark-dev \
debhelper dpkg-dev fakeroot lintian autopkgtest" ;;
    *) echo "usage: install-deps.sh build|gnumeric|screenshot|bench|web|duckdb|python|jvm|sql|postgresql|packages [ARCH...]|test" >&2; exit 2 ;;
esac
job=${1:-build}
[ $# -gt 0 ] && shift
# Cross builds of the packages: the architecture's cross toolchain and its C library. Where the
# mirror's versions of the C library's development files differ between architectures (which
# multiarch refuses), the runtime libraries serve dpkg-shlibdeps.
foreign=""
# Another install may hold the package manager's lock: wait for it rather than fail.
wait="-o DPkg::Lock::Timeout=600"
updated=""
# apt_install PACKAGE...: the package lists are read once, before the first install.
apt_install() {
    if [ -z "$updated" ]; then
        # A mirror in the middle of a sync fails an index now and then: once more, then on with
        # the lists there are (the install says what it cannot find).
        apt-get $wait update -qq || { sleep 15; apt-get $wait update -qq; } || echo "install-deps.sh: some package lists could not be read"
        updated=yes
    fi
    DEBIAN_FRONTEND=noninteractive apt-get $wait install -y -qq --no-install-recommends "$@"
}
# Java for Spark: Debian's, unless the machine has one.
if [ "$job" = python ] && ! command -v java >/dev/null; then
    packages="$packages default-jre-headless"
fi
if [ "$job" = packages ]; then
    for arch in "$@"; do
        [ "$arch" = "$(dpkg --print-architecture)" ] && continue
        dpkg --print-foreign-architectures | grep -qx "$arch" || { dpkg --add-architecture "$arch"; foreign=yes; }
        packages="$packages crossbuild-essential-$arch libc6:$arch libstdc++6:$arch"
    done
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing="$missing $p"
done
if [ -n "$missing" ] || [ -n "$foreign" ]; then
    echo "installing:$missing"
    # PostgreSQL's server package would create and start a cluster of its own: the tests start
    # throwaway clusters and leave no server running.
    case "$missing" in *postgresql*)
        mkdir -p /etc/postgresql-common/createcluster.d
        echo "create_main_cluster = false" >/etc/postgresql-common/createcluster.d/dfa-no-main-cluster.conf ;;
    esac
    apt_install $missing
fi
# npm: Debian's package, unless a Node.js of another origin already brings it.
if { [ "$job" = web ] || [ "$job" = duckdb ] || [ "$job" = test ]; } && ! command -v npm >/dev/null; then
    apt_install npm
fi
if [ "$job" = packages ]; then
    for arch in "$@"; do
        [ "$arch" = "$(dpkg --print-architecture)" ] && continue
        dpkg-query -W -f='${Status}' "libc6-dev:$arch" 2>/dev/null | grep -q 'ok installed' ||
            apt_install "libc6-dev:$arch" ||
            echo "libc6-dev:$arch cannot be installed beside this machine's packages; the cross toolchain's serves"
    done
fi
