#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the wheel, installs it with pandas into build-python/venv-bench, runs bench/python-bench.py.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-python.sh
python3 -m venv build-python/venv-bench
build-python/venv-bench/bin/pip install -q --disable-pip-version-check --force-reinstall build-python/dist/*.whl \
    "$(grep '^pandas==' hosts/python/tests/requirements.txt)"
build-python/venv-bench/bin/python bench/python-bench.py
