#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the wheel, installs it with pandas into build-python/venv-bench, runs bench/python-bench.py.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-python.sh
python3 -m venv build-python/venv-bench
tag=$(python3 -c 'import sys; print(f"cp{sys.version_info[0]}{sys.version_info[1]}")')
build-python/venv-bench/bin/pip install -q --disable-pip-version-check --force-reinstall build-python/dist/*-"$tag"-*.whl \
    "$(grep '^pandas==' hosts/python/tests/requirements.txt)"
build-python/venv-bench/bin/python bench/python-bench.py
