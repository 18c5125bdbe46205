#!/bin/sh
# SPDX-License-Identifier: MIT
# scripts/install-deps.sh on a machine with nothing installed and no Java, under sh -u: the
# package lists are read before the first install, and Java is among what it installs.
set -eu
script=$1
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
for tool in sh mkdir grep cat; do ln -s "$(command -v $tool)" "$stubs/$tool"; done
printf '#!/bin/sh\necho "apt-get $*" >>"%s/log"\n' "$stubs" >"$stubs/apt-get"
printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query"
printf '#!/bin/sh\necho amd64\n' >"$stubs/dpkg"
chmod +x "$stubs/apt-get" "$stubs/dpkg-query" "$stubs/dpkg"
PATH=$stubs sh -u "$script" python
sed -n 1p "$stubs/log" | grep -q ' update ' || { echo "first apt-get call is not update:"; cat "$stubs/log"; exit 1; }
grep -q 'install.*default-jre-headless' "$stubs/log" || { echo "Java not installed:"; cat "$stubs/log"; exit 1; }
echo "install-deps.sh python: update, then $(grep -c install "$stubs/log") install call"
