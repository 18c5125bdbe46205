#!/bin/sh
# SPDX-License-Identifier: MIT
# The add-in for web spreadsheets: builds dfa.wasm with Debian's clang for WebAssembly, packs the
# npm package into build-web/dfa-dates-<version>.tgz, installs it from the tarball into an empty folder
# (build-web/try, with HyperFormula from the npm registry), and assembles the demo page with
# everything it loads into build-web/demo/, to be served as static files from any folder.
#   build-web.sh          build and assemble
#   build-web.sh test     also run the package's tests in Node.js, against the native dfa-host
#                         (DFA_HOST, default build/dfa-host, built if missing) and the misbehaving
#                         add-in, the page in headless Chromium, and the package's consumers
#                         (build-web/consumers: bundlers, a worker, CommonJS, TypeScript)
#   build-web.sh screenshot   also photograph the page for the README: hosts/web/demo/page.png
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh web
out=build-web
cmake -S . -B "$out/wasm" --toolchain cmake/toolchain-wasm32.cmake -DDFA_WERROR=ON >/dev/null
cmake --build "$out/wasm" -j"$(nproc)"
rm -f "$out"/dfa-dates-*.tgz
(cd "$out/wasm/package" && npm pack --silent --pack-destination "$PWD/../..")
tarball=$(ls "$out"/dfa-dates-*.tgz)

# An empty folder that installs the package as a user would.
rm -rf "$out/try"
mkdir -p "$out/try"
(cd "$out/try" && npm init -y >/dev/null && npm install --silent --no-audit --no-fund "../$(basename "$tarball")" hyperformula@3 playwright-core@1)

rm -rf "$out/demo"
mkdir -p "$out/demo/dfa" "$out/demo/hyperformula"
cp hosts/web/demo/index.html hosts/web/demo/demo.js "$out/demo/"
cp "$out/try/node_modules/dfa-dates/"*.js "$out/try/node_modules/dfa-dates/dfa.wasm" "$out/demo/dfa/"
cp "$out/try/node_modules/hyperformula/dist/hyperformula.full.min.js" "$out/demo/hyperformula/"
echo "built $tarball, $out/demo/ ($(wc -c <"$out/wasm/dfa.wasm") bytes of WebAssembly)"

if [ "${1:-}" = test ]; then
    host=$(sh scripts/native-host.sh)
    # Consumers of the packed package, beside the bundlers they are built with.
    rm -rf "$out/consumers"
    cp -r hosts/web/test/consumers "$out/consumers"
    cp hosts/web/test/sheet-cases.mjs "$out/consumers/"
    (cd "$out/consumers" && npm install --silent --no-audit --no-fund && npm install --silent --no-audit --no-fund --no-save "../$(basename "$tarball")")
    cp hosts/web/test/*.mjs "$out/try/"
    (cd "$out/try" && DFA_HOST="$host" DFA_DEMO_DIR="$PWD/../demo" DFA_FAULTS_DIR="$PWD/../wasm/faults" \
        DFA_TYPED_TABLE="$PWD/../../tests/sql/typed_cases.csv" \
        DFA_CONSUMERS_DIR="$PWD/../consumers" node --test ./*.test.mjs)
fi

if [ "${1:-}" = screenshot ]; then
    (cd "$out/demo" && exec python3 -m http.server 8765 --bind 127.0.0.1 >/dev/null 2>&1) &
    server=$!
    sleep 1
    chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --user-data-dir="$(mktemp -d)" --virtual-time-budget=15000 \
        --window-size=1100,900 --screenshot="$PWD/hosts/web/demo/page.png" http://127.0.0.1:8765/ 2>/dev/null
    kill "$server"
    echo "wrote hosts/web/demo/page.png"
fi
