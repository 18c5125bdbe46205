# SPDX-License-Identifier: MIT
# Workbooks computed without a spreadsheet: formulas (dfa_dates.formulas.register()) and pycel
# (the plugin dfa_dates.pycel) on workbooks written by openpyxl. The case table's rows of their
# calendar, and over the whole of it each engine's own day of a value: its YEAR, MONTH and DAY
# of the same cell, which the seven must agree with (or give an error where that is no day).
import csv
import datetime as dt
import os
import pathlib
import re
import xml.etree.ElementTree as ET

import numpy as np
import openpyxl
import pytest
from openpyxl.utils.datetime import CALENDAR_MAC_1904

import dfa_dates as dfa
from conftest import ENTRY

NAMES = {entry: name for name, entry in ENTRY.items()}
BY_UPPER = {entry.upper(): name for name, entry in ENTRY.items()}  # as a workbook writes them
FIRST, LAST = dt.date(1900, 3, 1), dt.date(9999, 12, 31)  # the days both engines name by serial


def formulas_engine(path, cells):
    import formulas
    import dfa_dates.formulas
    dfa_dates.formulas.register()
    solution = formulas.ExcelModel().loads(str(path)).finish().calculate()
    values = {k.split("!")[1]: v.value[0, 0] for k, v in solution.items() if "!" in k}
    return [str(values[c]) if type(values[c]).__name__ == "XlError" else values[c] for c in cells]


def pycel_engine(path, cells):
    from pycel import ExcelCompiler
    compiler = ExcelCompiler(filename=str(path), plugins=["dfa_dates.pycel"])

    def evaluated(cell):
        try:
            return compiler.evaluate(f"Sheet!{cell}")
        except Exception as e:  # pycel's own YEAR of a serial after 9999 raises
            return f"#{type(e).__name__}"
    return [evaluated(c) for c in cells]


ENGINES = {"formulas": formulas_engine, "pycel": pycel_engine}


def computed(engine, tmp_path, rows, epoch=None):
    """Each row (a list of cell values and formulas) in a sheet of its own row, computed by the
    engine: the values of every formula, by row."""
    book = openpyxl.Workbook()
    if epoch:
        book.epoch = epoch
    sheet = book.active
    sheet.title = "Sheet"
    formulas = []
    for r, row in enumerate(rows, 1):
        for c, value in enumerate(row):
            cell = sheet.cell(r, c + 1, value)
            if isinstance(value, str) and value.startswith("="):
                formulas.append(cell.coordinate)
    path = tmp_path / "book.xlsx"
    book.save(path)
    values = iter(ENGINES[engine](path, formulas))
    return [[next(values) for v in row if isinstance(v, str) and v.startswith("=")] for row in rows]


def call(function, *cells):
    return f"={function}({','.join(cells)})"


@pytest.mark.parametrize("engine", ENGINES)
def test_the_case_table(engine, tmp_path):
    with open(os.environ["DFA_CASE_TABLE"]) as f:
        inside = lambda text: len(text) == 10 and text[:4].isdigit() and str(FIRST) <= text <= str(LAST)
        rows = [r for r in csv.DictReader(f) if all(inside(r[k]) for k in ("first", "second") if r[k])
                and r["mode"] != "NULL" and r["result"] != "NULL"]
    day = lambda text: dt.date.fromisoformat(text) if text else None
    assert len(rows) > 100
    sheet = [[day(r["first"]), day(r["second"]), float(r["mode"] or 0),
              call(r["function"].upper(), *(["A{0}", "B{0}", "C{0}"] if r["second"] else ["A{0}"])).format(i)]
             for i, r in enumerate(rows, 1)]
    for r, got in zip(rows, computed(engine, tmp_path, sheet)):
        assert got == [int(r["result"])], r


# What each engine makes of a value beside the seven: random serials of the whole 1900 system
# (fractions of a day too), its ends and their neighbours, its 29 February 1900 and "day 0",
# text, and an error.
VALUES = [0, 0.5, 1, 59, 59.99, 60, 61, 2958465, 2958465.9, 2958466, -1, "2004-02-10", "38027", "abc", "=1/0"]
ONE_DATES = [e for e in ENTRY.values() if NAMES[e] in dfa.ONE_DATE]


@pytest.mark.parametrize("epoch", [None, CALENDAR_MAC_1904], ids=["1900", "1904"])
@pytest.mark.parametrize("engine", ENGINES)
def test_the_engines_own_day(engine, epoch, tmp_path):
    rng = np.random.default_rng(37)
    values = VALUES + list(np.round(rng.uniform(0, 2958466, 250), 3)) + list(rng.integers(1, 2958466, 100))
    sheet = [[v, *(f"={part}(A{i})" for part in ("YEAR", "MONTH", "DAY")), *(call(e.upper(), f"A{i}") for e in ONE_DATES),
              call("QVDATE_GETDIFFMONTHS", "A1", f"A{i}", "1"), call("QVDATE_GETDIFFWEEKS", f"A{i}", "A7", "0")]
             for i, v in enumerate(values, 1)]
    for v, (year, month, day, *ours) in zip(values, computed(engine, tmp_path, sheet, epoch)):
        try:
            date = dt.date(year, month, day)
        except (TypeError, ValueError):  # an error, or a day that never was
            assert all(isinstance(x, str) and x.startswith("#") for x in ours), (v, year, month, day, ours)
            continue
        assert ours[:4] == [getattr(dfa, NAMES[e])(date) for e in ONE_DATES], (v, date, ours)
        assert ours[4] == "#VALUE!", (v, ours)  # from A1, serial 0: "day 0", no day
        assert ours[5] == dfa.diff_weeks(date, dt.date(1900, 3, 1), 0), (v, date, ours)  # to A7, serial 61


@pytest.mark.parametrize("engine", ENGINES)
def test_the_example_workbook(engine, tmp_path, addin):
    """examples/dates.gnumeric's cells, written by openpyxl: each of the seven's cells against the
    add-in on the serial of its DATE cells' days."""
    path = pathlib.Path(__file__).parents[3] / "examples" / "dates.gnumeric"
    cells = {(int(c.get("Row")), int(c.get("Col"))): c.text for c in ET.parse(path).iterfind(".//{*}Cell")}
    sheet = [[cells.get((r, c)) for c in range(max(c for _, c in cells) + 1)] for r in range(max(r for r, _ in cells) + 1)]
    rows = computed(engine, tmp_path, sheet)
    dates = {f"{'ABCDEFGH'[c]}{r + 1}": dt.date(*map(int, m[1].split(",")))
             for (r, c), text in cells.items() if (m := re.fullmatch(r"=DATE\((.*)\)", text or ""))}
    checked = 0
    for row, got in zip(sheet, rows):
        calls = [text for text in row if text and text.startswith("=") and not text.startswith("=DATE")]
        for text, value in zip(calls, got[-len(calls):] if calls else []):
            entry, arguments = re.fullmatch(r"=(\w+)\((.*)\)", text).groups()
            *refs, mode = arguments.split(",") if "," in arguments else (arguments, None)
            serials = [float(dfa.serials(dates[ref])) for ref in refs]
            assert value == addin(BY_UPPER[entry], *serials, *([float(mode)] if mode else [])), text
            checked += 1
    assert checked == sum(1 for t in cells.values() if t and t.startswith("=QVDATE_"))
