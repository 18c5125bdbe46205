# SPDX-License-Identifier: MIT
# What the tests hold the package against: the add-in itself, through dfa-host (DFA_HOST, ISO
# dates through the add-in's own calendar) and through libdfa.so (DFA_LIBRARY, serials), and
# the case table that every engine's host runs (DFA_CASE_TABLE).
import csv
import ctypes
import os
import re
import subprocess

import numpy as np
import pytest

import dfa_dates

ONE_DATE, DIFFERENCES = list(dfa_dates.ONE_DATE), list(dfa_dates.DIFFERENCES)


def _addin_functions():
    """The add-in's entry names and input counts, as dfa-host lists them."""
    listing = subprocess.run([os.environ["DFA_HOST"], "list"], capture_output=True, text=True).stdout
    return {m[1]: int(m[2]) - 1 for m in re.finditer(r"^\d+ (\S+) +parameters: (\d+)", listing, re.M)}


ADDIN_FUNCTIONS = _addin_functions()
# Each Python name's entry name (QvDate_GetDiffWeeks is diff_weeks).
ENTRY = {re.sub(r"(?<!^)(?=[A-Z])", "_", e.split("_", 1)[1].removeprefix("Get")).lower(): e for e in ADDIN_FUNCTIONS}


def case_rows():
    """The case table's rows (dicts by its header) but those of text and of infinities."""
    with open(os.environ["DFA_CASE_TABLE"]) as f:
        return [r for r in csv.DictReader(f) if "text:" not in str(r.values()) and "infinity" not in str(r.values())]


def iso(days):
    """dfa-host's ISO date of a datetime64[D]: years of 4 or 5 digits."""
    return np.datetime_as_string(days, unit="D")


def addin_on_dates(calls):
    """Each call (name, first date, second date, mode) or (name, date) through dfa-host; NaN where
    it has no result (0001-01-01, which no serial names)."""
    lines = "".join(" ".join([ENTRY[c[0]], *map(str, c[1:])]) + "\n" for c in calls)
    run = subprocess.run([os.environ["DFA_HOST"], "call", "-"], input=lines, capture_output=True, text=True)
    out = run.stdout.split()
    assert len(out) == len(calls), run.stderr
    return np.array([np.nan if x == "error" else float(x) for x in out])


@pytest.fixture(scope="session")
def addin():
    """libdfa.so, handshaken: name -> function of serials (and mode) giving the add-in's result."""
    lib = ctypes.CDLL(os.environ["DFA_LIBRARY"])
    count = ctypes.c_uint16()
    lib.GetFunctionCount(ctypes.byref(count))

    def call(name, *args):
        result = ctypes.c_double()
        values = [ctypes.c_double(a) for a in args]
        getattr(lib, ENTRY[name])(ctypes.byref(result), *map(ctypes.byref, values))
        return result.value
    return call


def _with_results(first, second):
    """The pairs of dates and the add-in's results for each function (and mode) on them."""
    a, b = iso(first), iso(second)
    calls = [(f, x) for f in ONE_DATE for x in a] + [(f, x, y, m) for f in DIFFERENCES for m in (0, 1) for x, y in zip(a, b)]
    results = addin_on_dates(calls).reshape(len(ONE_DATE) + 2 * len(DIFFERENCES), -1)
    expected = {f: results[i] for i, f in enumerate(ONE_DATE)}
    for i, f in enumerate(DIFFERENCES):
        expected[(f, 0)], expected[(f, 1)] = results[4 + 2 * i], results[5 + 2 * i]
    return first, second, expected


def _pairs(start, days, seed):
    """100,000 first days from start on, second days near them or anywhere in the same span."""
    rng = np.random.default_rng(seed)
    first = (np.datetime64(start) + rng.integers(0, days, 100000)).astype("datetime64[D]")
    second = np.where(rng.random(100000) < 0.5, first + rng.integers(-400, 400, 100000),
                      np.datetime64(start) + rng.integers(0, days, 100000)).astype("datetime64[D]")
    return first, np.clip(second, np.datetime64(start), np.datetime64(start) + np.timedelta64(days - 1, "D"))


@pytest.fixture(scope="session")
def wide_dates():
    """Pairs across the whole calendar, 0000-01-01 to 65535-12-31."""
    return _with_results(*_pairs("0000-01-01", 23936532, 20261209))


@pytest.fixture(scope="session")
def recent_dates():
    """Pairs of 1900 to 2100, the dates of most sheets."""
    return _with_results(*_pairs("1900-01-01", 73049, 1209))
