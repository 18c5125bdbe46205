#!/bin/sh
# SPDX-License-Identifier: MIT
# Debian 12's arm64 CPython 3.11, to run under qemu-user: its packages (and the libraries it and
# PyPI's aarch64 wheels load) unpacked into DIR by apt with a source list of its own, nothing
# added to this machine's; then PACKAGEs (pip requirements or wheel files) for it into DIR/site
# from PyPI's aarch64 wheels.
#   arm64-python.sh DIR [PACKAGE...]
# Then: QEMU_LD_PREFIX=DIR PYTHONPATH=DIR/site qemu-aarch64 DIR/usr/bin/python3.11 ...
set -eu
dir=$(mkdir -p "$1" && cd "$1" && pwd)
shift
if [ ! -x "$dir/usr/bin/python3.11" ]; then
    apt_dir=$dir/.apt
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
    echo "deb http://deb.debian.org/debian bookworm main" >"$apt_dir/sources.list"
    apt="-o Dir::Etc::SourceList=$apt_dir/sources.list -o Dir::Etc::SourceParts=/dev/null
        -o Dir::State::Lists=$apt_dir/lists -o Dir::Cache=$apt_dir -o Dir::State::Status=/dev/null
        -o Debug::NoLocking=1 -o APT::Sandbox::User=$(id -un) -o APT::Architecture=arm64 -o APT::Architectures=arm64"
    apt-get $apt update -qq
    (cd "$apt_dir/archives" && apt-get $apt download -qq python3.11-minimal libpython3.11-minimal \
        libpython3.11-stdlib libc6 libgcc-s1 libstdc++6 libexpat1 zlib1g libffi8 libssl3 libbz2-1.0 \
        liblzma5 libsqlite3-0 libncursesw6 libtinfo6 libreadline8 libuuid1 libcrypt1 libnsl2 libtirpc3 \
        libgssapi-krb5-2 libkrb5-3 libk5crypto3 libkrb5support0 libcom-err2 libkeyutils1 libdb5.3 libgdbm6)
    for deb in "$apt_dir"/archives/*.deb; do dpkg-deb -x "$deb" "$dir"; done
fi
if [ $# -gt 0 ]; then
    [ -x "$dir/.pip/bin/pip" ] || python3 -m venv "$dir/.pip"
    "$dir/.pip/bin/pip" install -q --disable-pip-version-check --only-binary=:all: --upgrade \
        --platform manylinux2014_aarch64 --platform manylinux_2_28_aarch64 --python-version 3.11 \
        --implementation cp --target "$dir/site" "$@"
fi
