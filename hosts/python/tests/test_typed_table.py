# SPDX-License-Identifier: MIT
# The typed table that every engine's host runs (DFA_TYPED_TABLE), through each form of input:
# each form declares the kinds of value it has and runs every row of those kinds, no more and no
# fewer. Then, over whole calendars, random instants and zones, every form gives what its own
# library's day of each value gives.
import csv
import datetime as dt
import os
from zoneinfo import ZoneInfo

import numpy as np
import pandas as pd
import polars as pl
import pyarrow as pa
import pyarrow.compute as pc
import pytest

import dfa_dates as dfa

from conftest import ENTRY

NAMES = {entry: name for name, entry in ENTRY.items()}

with open(os.environ["DFA_TYPED_TABLE"]) as f:
    ROWS = list(csv.DictReader(f))


def kinds(row):
    return {x.partition(":")[0] for x in (row["first"], row["second"]) if x}


def instant(literal, zone):
    return dt.datetime.fromisoformat(literal).astimezone(ZoneInfo(zone or "UTC"))


# Each form: the kinds it has, and (kind, literal, zone) -> a one-element input of that library.
def as_numpy(kind, literal, zone):
    if kind == "text":
        return np.array([literal])
    return np.array(["NaT" if kind == "null" else literal], dtype="datetime64[D]" if kind == "null" else "datetime64[us]")


def as_masked(kind, literal, zone):
    values = as_numpy("date" if kind == "null" else kind, "1999-12-31" if kind == "null" else literal, zone)
    return np.ma.masked_array(values, mask=[kind == "null"])


def as_objects(kind, literal, zone):
    return {"date": lambda: [dt.date.fromisoformat(literal)], "timestamp": lambda: [dt.datetime.fromisoformat(literal)],
            "timestamptz": lambda: [instant(literal, zone)], "text": lambda: [literal], "null": lambda: [None]}[kind]()


def as_pandas(kind, literal, zone):
    if kind == "timestamptz":
        return pd.Series(pd.to_datetime([literal]).tz_convert(zone))
    if kind in ("text", "null"):
        return pd.Series([literal if kind == "text" else pd.NA], dtype="string[pyarrow]")
    return pd.Series(pd.to_datetime([literal]))


def as_polars(kind, literal, zone):
    if kind == "timestamptz":
        return pl.Series([dt.datetime.fromisoformat(literal)]).dt.replace_time_zone("UTC").dt.convert_time_zone(zone)
    if kind == "null":
        return pl.Series([None], dtype=pl.Date)
    return pl.Series([literal if kind == "text" else dt.datetime.fromisoformat(literal)])


def as_arrow(kind, literal, zone):
    if kind == "timestamptz":
        return pa.array([dt.datetime.fromisoformat(literal)], pa.timestamp("us", tz=zone))
    if kind == "null":
        return pa.array([None], pa.date32())
    return pa.array([literal]) if kind == "text" else pa.array([dt.datetime.fromisoformat(literal)], pa.timestamp("us"))


def as_date32(kind, literal, zone):
    return as_arrow(kind, literal, zone).cast(pa.date32())  # a zoned timestamp's local day, by Arrow


def as_dask(kind, literal, zone):
    import dask.dataframe as dd
    return dd.from_pandas(as_pandas(kind, literal, zone), npartitions=1)


def call_arrow_compute(function, *values):
    import dfa_dates.arrow
    dfa_dates.arrow.register()
    entry = dfa._ufuncs.entry_names[function.__name__].lower()
    if len(values) == 3:
        return pc.call_function(f"{entry}_mode", [*values[:2], pa.scalar(values[2], pa.float64())])
    return pc.call_function(entry, list(values))


def call_datafusion(function, *values):
    import datafusion
    import dfa_dates.datafusion
    ctx = datafusion.SessionContext()
    dfa_dates.datafusion.register(ctx)
    columns = dict(zip("abm", [*values[:2], *([pa.array([values[2]], pa.float64())] if len(values) > 2 else [])]))
    ctx.from_arrow(pa.table(columns), name="t")
    name = dfa._ufuncs.entry_names[function.__name__] + ("_mode" if "m" in columns else "")
    return ctx.sql(f"SELECT {name}({', '.join(columns)}) AS r FROM t").to_pydict()["r"]


def call_dask(function, *values):
    return function(*values).compute()


EVERY_KIND = {"date", "timestamp", "timestamptz", "text", "null"}
DAYS = {"date", "timestamp", "timestamptz", "null"}
FORMS = {"numpy": (EVERY_KIND - {"timestamptz"}, as_numpy, None), "masked": (EVERY_KIND - {"timestamptz"}, as_masked, None),
         "objects": (EVERY_KIND, as_objects, None), "pandas": (EVERY_KIND, as_pandas, None),
         "polars": (EVERY_KIND, as_polars, None), "arrow": (EVERY_KIND, as_arrow, None), "dask": (EVERY_KIND, as_dask, call_dask),
         "arrow-compute": (DAYS, as_date32, call_arrow_compute), "datafusion": (DAYS, as_date32, call_datafusion)}


@pytest.mark.parametrize("form", FORMS)
def test_the_typed_table(form):
    takes, build, call = FORMS[form]
    rows = [r for r in ROWS if kinds(r) <= takes]
    ran = 0
    for row in rows:
        values = [build(*x.partition(":")[::2], row["zone"]) for x in (row["first"], row["second"]) if x]
        mode = () if row["mode"] == "" else (None,) if row["mode"] == "NULL" else (float(row["mode"]),)
        function = getattr(dfa, NAMES[row["function"]])
        run = (lambda *args: call(function, *args)) if call else function
        if row["result"] == "refused":
            with pytest.raises(ValueError, match=r"dfa_dates: '.*' is (not a date|numeric text)"):
                run(*values, *mode)
        else:
            got = np.asarray(np.ma.filled(np.asarray(run(*values, *mode), dtype=float), np.nan)).ravel()[0]
            expected = np.nan if row["result"] == "NULL" else float(row["result"])
            np.testing.assert_equal(got, expected, err_msg=f"{form}: {row}")
        ran += 1
    assert ran == len(rows) == sum(kinds(r) <= takes for r in ROWS) > 0


# The oracle of the properties: the package on datetime64[D], which the other tests hold against
# the add-in over the whole calendar.
def on_days(name, days, *rest):
    return np.asarray(getattr(dfa, name)(np.asarray(days, dtype="datetime64[D]"), *rest), dtype=float)


def test_every_container_gives_its_librarys_own_day():
    rng = np.random.default_rng(34)
    # Every day of years 1 to 3 and of 1580 to 1585, random days of 1 to 9999.
    days = np.concatenate([np.arange("0001-01-01", "0004-01-01", dtype="datetime64[D]"),
                           np.arange("1580-01-01", "1586-01-01", dtype="datetime64[D]"),
                           np.datetime64("0001-01-01") + rng.integers(0, 3652059, 20000)])
    missing = rng.random(days.size) < 0.05
    seconds = rng.integers(0, 86400, days.size)
    moments = days.astype("datetime64[s]") + seconds
    texts = np.datetime_as_string(days)
    expected = {n: np.where(missing, np.nan, on_days(n, days)) for n in dfa.ONE_DATE}
    with_nulls = lambda a: np.where(missing, np.datetime64("NaT", "s"), a)
    arrow_days = pa.array(days, mask=missing)
    containers = {
        "numpy seconds": with_nulls(moments), "numpy text": np.where(missing, None, texts).astype(object),
        "masked": np.ma.masked_array(moments, mask=missing), "masked text": np.ma.masked_array(texts, mask=missing),
        "pandas seconds": pd.Series(with_nulls(moments)), "pandas text": pd.Series(np.where(missing, None, texts), dtype="string"),
        "pandas arrow": pd.Series(arrow_days, dtype=pd.ArrowDtype(pa.date32())),
        "polars date": pl.Series(arrow_days), "polars text": pl.Series(np.where(missing, None, texts).tolist(), dtype=pl.String),
        "polars datetime": pl.Series(pa.array(moments, mask=missing)), "arrow date": arrow_days,
        "arrow text": pa.array(texts, mask=missing), "arrow timestamp": pa.array(moments.astype("datetime64[ms]"), mask=missing),
        "list": [None if m else d.item() for d, m in zip(days, missing)],
    }
    for what, values in containers.items():
        for name in dfa.ONE_DATE:
            got = np.ma.filled(np.asarray(getattr(dfa, name)(values), dtype=float), np.nan)
            np.testing.assert_array_equal(got, expected[name], err_msg=f"{what} {name}")
    np.testing.assert_array_equal(np.asarray(dfa.diff_months(pl.Series(arrow_days), texts[::-1], mode=1), dtype=float),
                                  np.where(missing, np.nan, on_days("diff_months", days, days[::-1], 1)))


def test_zoned_instants_give_their_librarys_own_day():
    rng = np.random.default_rng(1209)
    # 1906 to 2096, the years after 2037 among them; each library's own rules decide the day.
    moments = pd.to_datetime(rng.integers(-2_000_000_000, 4_000_000_000, 4000), unit="s", utc=True)
    for zone in sorted({row["zone"] for row in ROWS if row["zone"]}):
        local = pd.Series(moments.tz_convert(zone))
        polars = pl.from_pandas(local)
        arrow = pa.array(local)
        own_days = {"pandas": local.dt.tz_localize(None).dt.normalize(), "polars": polars.dt.date().to_numpy(),
                    "arrow": pc.cast(arrow, pa.date32()).to_numpy(zero_copy_only=False)}
        for library, data in (("pandas", local), ("polars", polars), ("arrow", arrow)):
            for name in ("is_leap_year", "days_in_month", "weeks_in_year"):
                np.testing.assert_array_equal(np.asarray(getattr(dfa, name)(data), dtype=float),
                                              on_days(name, own_days[library]), err_msg=f"{zone} {library} {name}")


def test_one_reading_of_values_in_every_container():
    truth = [True, np.array([True]), pd.Series([True]), pl.Series([True]), pa.array([True]), np.ma.masked_array([True])]
    for values in truth:
        with pytest.raises(TypeError, match="truth value"):
            dfa.days_in_month(values)
    long = "2004-02-10" + "x" * 100
    for values in (["2004-02-10", long], pd.Series(["2004-02-10", long]), pl.Series(["2004-02-10", long]),
                   pa.array(["2004-02-10", long])):
        with pytest.raises(ValueError, match=r"^dfa_dates: '2004-02-10x+\.\.\. is not a date \(position 1\)$"):
            dfa.days_in_month(values)
    assert dfa.diff_months("2005-01-31", "2005-02-28", mode=1) == 1


def test_day_counts_over_all_of_int32():
    """Arrow's date32 and Polars' Date hold any int32 day count: through every way in that takes
    them (the column kernels), the calendar's ends and 0001-01-01 with their neighbours, random
    days of all of int32 and of the calendar, nulls, a sliced array, and modes that select nothing."""
    import datafusion
    import dfa_dates.arrow
    import dfa_dates.datafusion
    import dfa_dates.polars  # noqa: F401  the namespace
    dfa_dates.arrow.register()
    rng = np.random.default_rng(35)
    ends = np.array(["0000-01-01", "0001-01-01", "65535-12-31"], "datetime64[D]").astype(np.int64)
    limits = np.iinfo(np.int32)
    days = np.concatenate([(ends[:, None] + np.arange(-3, 4)).ravel(), [limits.min, limits.max, 0],
                           rng.integers(limits.min, limits.max, 5000, endpoint=True),
                           rng.integers(ends[0], ends[2], 30000, endpoint=True)]).astype(np.int32)
    nulls, second_nulls = rng.random((2, days.size)) < 0.05
    modes = rng.choice([0.0, 1.0, 1.9, 2.0, -1.0, np.nan], days.size)
    second = rng.permutation(days)
    a, b = (pa.array(d, pa.int32(), mask=n).view(pa.date32()) for d, n in ((days, nulls), (second, second_nulls)))
    m = pa.array(modes)
    ctx = datafusion.SessionContext()
    dfa_dates.datafusion.register(ctx)
    ctx.from_arrow(pa.table({"i": np.arange(days.size), "a": a, "b": b, "m": m}), name="t")  # i: DataFusion keeps no order
    frame = pl.DataFrame({"a": a, "b": b, "m": m})
    floats = lambda x: np.asarray(pa.chunked_array([x]) if isinstance(x, pa.Array) else x.to_arrow()
                                  if isinstance(x, pl.Series) else x, dtype=float)
    for name in (*dfa.ONE_DATE, *dfa.DIFFERENCES):
        entry, two = dfa._ufuncs.entry_names[name].lower(), name in dfa.DIFFERENCES
        expected = on_days(name, days, *([second.astype("datetime64[D]"), modes] if two else []))
        expected[nulls | (two & second_nulls)] = np.nan
        ways = {"arrow compute": lambda: pc.call_function(f"{entry}_mode" if two else entry, [a, b, m] if two else [a]),
                "datafusion": lambda: ctx.sql(f"SELECT {entry}{'_mode(a, b, m)' if two else '(a)'} AS r FROM t ORDER BY i").to_arrow_table()["r"],
                "polars": lambda: getattr(dfa, name)(*(frame["a"], frame["b"], frame["m"]) if two else (frame["a"],)),
                "polars namespace": lambda: frame.select(getattr(pl.col("a").dfa, name)(*(pl.col("b"), pl.col("m")) if two else ()))["a"]}
        for way, run in ways.items():
            np.testing.assert_array_equal(floats(run()), expected, err_msg=f"{way} {name}")
        if not two:  # an array that begins within its buffer
            np.testing.assert_array_equal(floats(pc.call_function(entry, [a[7:]])), expected[7:], err_msg=f"sliced {name}")
