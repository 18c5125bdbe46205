#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the wheels, installs the wheel of PYTHON (default python3) with the engines the tests use
# into build-python/venv-bench, runs bench/python-bench.py (SPARK=1: Spark SQL too; its Arrow UDFs
# need pyspark 4, which the tests take from CPython 3.12 on).
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-python.sh
python=${PYTHON:-python3}
"$python" -m venv --clear build-python/venv-bench
tag=$("$python" -c 'import sys; print(f"cp{sys.version_info[0]}{sys.version_info[1]}")')
build-python/venv-bench/bin/pip install -q --disable-pip-version-check --force-reinstall build-python/dist/*-"$tag"-*"$(uname -m)".whl \
    -r hosts/python/tests/requirements.txt
build-python/venv-bench/bin/python bench/python-bench.py
