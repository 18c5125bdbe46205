#!/bin/sh
# SPDX-License-Identifier: MIT
# Packages of another Debian release or architecture, unpacked into DIR: apt downloads them with
# a source list and state of its own in DIR/.apt, so nothing is added to this machine's.
#   debian-packages.sh SUITE ARCH DIR PACKAGE...
set -eu
suite=$1 arch=$2 dir=$3
shift 3
apt_dir=$dir/.apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
echo "deb http://deb.debian.org/debian $suite main" >"$apt_dir/sources.list"
apt="-o Dir::Etc::SourceList=$apt_dir/sources.list -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists=$apt_dir/lists -o Dir::Cache=$apt_dir -o Dir::State::Status=/dev/null
    -o Debug::NoLocking=1 -o APT::Sandbox::User=$(id -un) -o APT::Architecture=$arch -o APT::Architectures=$arch"
apt-get $apt update -qq
(cd "$apt_dir/archives" && apt-get $apt download -qq "$@")
for deb in "$apt_dir"/archives/*.deb; do dpkg-deb -x "$deb" "$dir"; done
