# SPDX-License-Identifier: MIT
# The typed table that every engine's host runs (DFA_TYPED_TABLE), through each form of input
# that has the row's types: numpy, Python objects, pandas, Polars and pyarrow; a timestamptz in
# the row's zone; and as the registered functions of pyarrow.compute and DataFusion SQL take
# them, date32 (a timestamp cast by Arrow to its local day). Then, over random instants and zones, every form gives what its own library's
# day of the instant gives.
import csv
import datetime as dt
import os
from zoneinfo import ZoneInfo

import numpy as np
import pandas as pd
import polars as pl
import pyarrow as pa
import pytest

import dfa_dates as dfa

from conftest import ENTRY

NAMES = {entry: name for name, entry in ENTRY.items()}

with open(os.environ["DFA_TYPED_TABLE"]) as f:
    ROWS = list(csv.DictReader(f))


def instant(literal, zone):
    return dt.datetime.fromisoformat(literal).astimezone(ZoneInfo(zone or "UTC"))


# Each form: (type, literal, zone) -> a one-element input of that library, or None where it has no such type.
def as_numpy(kind, literal, zone):
    if kind in ("date", "timestamp"):
        return np.array([literal], dtype="datetime64[us]")
    return np.array(["NaT"], dtype="datetime64[D]") if kind == "null" else None


def as_objects(kind, literal, zone):
    return {"date": lambda: [dt.date.fromisoformat(literal)], "timestamp": lambda: [dt.datetime.fromisoformat(literal)],
            "timestamptz": lambda: [instant(literal, zone)], "text": lambda: [literal], "null": lambda: [None]}[kind]()


def as_pandas(kind, literal, zone):
    if kind == "timestamptz":
        return pd.Series(pd.to_datetime([literal]).tz_convert(zone))
    if kind == "null":
        return pd.Series([pd.NA], dtype="string[pyarrow]")
    return pd.Series(pd.to_datetime([literal])) if kind in ("date", "timestamp") else None


def as_polars(kind, literal, zone):
    if kind == "timestamptz":
        return pl.Series([dt.datetime.fromisoformat(literal)]).dt.replace_time_zone("UTC").dt.convert_time_zone(zone)
    if kind == "null":
        return pl.Series([None], dtype=pl.Date)
    return pl.Series([dt.datetime.fromisoformat(literal)]) if kind in ("date", "timestamp") else None


def as_arrow(kind, literal, zone):
    if kind == "timestamptz":
        return pa.array([dt.datetime.fromisoformat(literal)], pa.timestamp("us", tz=zone))
    if kind == "null":
        return pa.array([None], pa.date32())
    return pa.array([dt.datetime.fromisoformat(literal)], pa.timestamp("us")) if kind in ("date", "timestamp") else None


def as_date32(kind, literal, zone):
    values = as_arrow(kind, literal, zone)
    return None if values is None else values.cast(pa.date32())


def call_arrow_compute(function, *values):
    import pyarrow.compute as pc
    import dfa_dates.arrow
    dfa_dates.arrow.register()
    mode = [pa.scalar(values[2] if len(values) > 2 else 0.0, pa.float64())] if function.nin == 3 else []
    return pc.call_function(dfa._ufuncs.entry_names[function.__name__].lower(), [*values[:2], *mode]).to_pylist()


def call_datafusion(function, *values):
    import datafusion
    import dfa_dates.datafusion
    ctx = datafusion.SessionContext()
    dfa_dates.datafusion.register(ctx)
    columns = dict(zip("abm", [*values[:2], *([pa.array([values[2]], pa.float64())] if len(values) > 2 else [])]))
    ctx.from_arrow(pa.table(columns), name="t")
    name = dfa._ufuncs.entry_names[function.__name__] + ("_mode" if "m" in columns else "")
    return list(ctx.sql(f"SELECT {name}({', '.join(columns)}) AS r FROM t").to_pydict()["r"])


FORMS = {"numpy": as_numpy, "objects": as_objects, "pandas": as_pandas, "polars": as_polars, "arrow": as_arrow,
         "arrow-compute": as_date32, "datafusion": as_date32}
CALLERS = {"arrow-compute": call_arrow_compute, "datafusion": call_datafusion}


@pytest.mark.parametrize("form", FORMS)
def test_the_typed_table(form):
    checked = 0
    for row in ROWS:
        values = []
        for field in (row["first"], row["second"]):
            if field:
                kind, _, literal = field.partition(":")
                values.append(FORMS[form](kind, literal, row["zone"]))
        if any(v is None for v in values):
            continue
        mode = () if row["mode"] == "" else (None,) if row["mode"] == "NULL" else (float(row["mode"]),)
        function = getattr(dfa, NAMES[row["function"]])
        if form in CALLERS:
            function = lambda *args, call=CALLERS[form], f=function: np.array(call(f, *args), dtype=float)
        if row["result"] == "refused":
            with pytest.raises(ValueError, match="dfa_dates: .* (is not a date|numeric text)"):
                function(*values, *mode)
        else:
            got = np.asarray(function(*values, *mode), dtype=float).ravel()[0]
            expected = np.nan if row["result"] == "NULL" else float(row["result"])
            np.testing.assert_equal(got, expected, err_msg=str(row))
        checked += 1
    assert checked >= 10


def test_zoned_instants_give_their_librarys_own_day():
    rng = np.random.default_rng(1209)
    moments = pd.to_datetime(rng.integers(-2_000_000_000, 4_000_000_000, 2000), unit="s", utc=True)
    for zone in sorted({row["zone"] for row in ROWS if row["zone"]}):
        local = pd.Series(moments.tz_convert(zone))
        days = local.dt.normalize().dt.tz_localize(None)
        polars = pl.from_pandas(local)
        arrow = pa.array(local)
        for name in ("is_leap_year", "days_in_month", "weeks_in_year"):
            expected = getattr(dfa, name)(days).to_numpy()
            for data in (local, polars, arrow):
                np.testing.assert_array_equal(np.asarray(getattr(dfa, name)(data), dtype=float), expected, err_msg=f"{zone} {name}")
        np.testing.assert_array_equal(dfa.diff_months(local, local[::-1].reset_index(drop=True)),
                                      dfa.diff_months(days, days[::-1].reset_index(drop=True)), err_msg=zone)


def test_pandas_aligns_on_the_index():
    start = pd.Series(pd.to_datetime(["2004-01-31", "2000-06-15"]), index=["ann", "bob"])
    end = pd.Series(pd.to_datetime(["2005-01-31", "2005-02-28", "2006-01-01"]), index=["cy", "ann", "bob"])
    result = dfa.diff_months(start, end)
    assert result.drop("cy").to_dict() == {"ann": 12.0, "bob": 66.0} and np.isnan(result["cy"])
