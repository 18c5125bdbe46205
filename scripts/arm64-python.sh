#!/bin/sh
# SPDX-License-Identifier: MIT
# Debian 12's arm64 CPython 3.11, to run under qemu-user: its packages (and the libraries it and
# PyPI's aarch64 wheels load) unpacked into DIR (scripts/debian-packages.sh); then PACKAGEs (pip
# requirements or wheel files) for it into DIR/site from PyPI's aarch64 wheels.
#   arm64-python.sh DIR [PACKAGE...]
# Then: QEMU_LD_PREFIX=DIR PYTHONPATH=DIR/site qemu-aarch64 DIR/usr/bin/python3.11 ...
set -eu
dir=$(mkdir -p "$1" && cd "$1" && pwd)
shift
if [ ! -x "$dir/usr/bin/python3.11" ]; then
    sh "$(dirname "$0")/debian-packages.sh" bookworm arm64 "$dir" python3.11-minimal libpython3.11-minimal \
        libpython3.11-stdlib libc6 libgcc-s1 libstdc++6 libexpat1 zlib1g libffi8 libssl3 libbz2-1.0 \
        liblzma5 libsqlite3-0 libncursesw6 libtinfo6 libreadline8 libuuid1 libcrypt1 libnsl2 libtirpc3 \
        libgssapi-krb5-2 libkrb5-3 libk5crypto3 libkrb5support0 libcom-err2 libkeyutils1 libdb5.3 libgdbm6
fi
if [ $# -gt 0 ]; then
    [ -x "$dir/.pip/bin/pip" ] || python3 -m venv "$dir/.pip"
    "$dir/.pip/bin/pip" install -q --disable-pip-version-check --only-binary=:all: --upgrade \
        --platform manylinux2014_aarch64 --platform manylinux_2_28_aarch64 --python-version 3.11 \
        --implementation cp --target "$dir/site" "$@"
fi
