#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the wheels, installs this Python's with the engines the tests use into build-python/venv-bench,
# runs bench/python-bench.py (SPARK=1: Spark SQL too).
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-python.sh
python3 -m venv build-python/venv-bench
tag=$(python3 -c 'import sys; print(f"cp{sys.version_info[0]}{sys.version_info[1]}")')
build-python/venv-bench/bin/pip install -q --disable-pip-version-check --force-reinstall build-python/dist/*-"$tag"-*.whl \
    -r hosts/python/tests/requirements.txt
build-python/venv-bench/bin/python bench/python-bench.py
