# SPDX-License-Identifier: MIT
# The seven functions against the add-in, over every kind of input the package takes.
import datetime as dt

import numpy as np
import pandas as pd
import polars as pl
import pytest

import dfa_dates as dfa
from conftest import ADDIN_FUNCTIONS, DIFFERENCES, ENTRY, ONE_DATE, addin_on_dates, case_rows


def test_the_package_offers_the_addins_functions():
    offered = {name: getattr(dfa._ufuncs, name).nin for name in (*dfa.DIFFERENCES, *dfa.ONE_DATE)}
    assert {ENTRY[name]: inputs for name, inputs in offered.items()} == ADDIN_FUNCTIONS


def same(a, b, what=""):
    np.testing.assert_array_equal(np.asarray(a, dtype=float), np.asarray(b, dtype=float), err_msg=str(what))


def test_the_case_table():
    rows = case_rows()
    assert len(rows) > 150
    date = lambda field: np.datetime64("NaT" if field == "NULL" else field, "D")
    for r in rows:
        fn = getattr(dfa, {entry: name for name, entry in ENTRY.items()}[r["function"]])
        mode = () if r["mode"] == "" else (None,) if r["mode"] == "NULL" else (float(r["mode"]),)
        got = fn(date(r["first"])) if not r["second"] else fn(date(r["first"]), date(r["second"]), *mode)
        expected = np.nan if r["result"] == "NULL" else float(r["result"])
        same(got, expected, r)


def test_the_whole_calendar_agrees_with_the_addin(wide_dates):
    first, second, expected = wide_dates
    for f in ONE_DATE:
        same(getattr(dfa, f)(first), expected[f])
    for f in DIFFERENCES:
        for mode in (0, 1):
            same(getattr(dfa, f)(first, second, mode), expected[(f, mode)])


@pytest.mark.parametrize("unit", ["s", "ms", "us", "ns", "h", "m", "W", "M", "Y"])
def test_every_unit_is_floored_to_its_day(unit):
    # Around 1970 in both directions, with a time of day where the unit has one.
    days = np.datetime64("1900-01-01") + np.arange(0, 73000, 97)
    moments = days.astype(f"datetime64[{unit}]") if unit in "WMY" else (days.astype("datetime64[ns]") + np.timedelta64(23, "h") + np.timedelta64(59, "m")).astype(f"datetime64[{unit}]")
    floored = moments.astype("datetime64[D]")
    assert (floored <= days).all() and floored[0] == moments.astype("datetime64[D]")[0]
    for f in ONE_DATE:
        same(getattr(dfa, f)(moments), getattr(dfa, f)(floored))
    same(dfa.diff_months(moments, moments[::-1]), dfa.diff_months(floored, floored[::-1]))


@pytest.mark.parametrize("unit", ["ps", "fs", "as"])
def test_the_finest_units_are_floored_too(unit):
    # A moment before 1970 is of 1969, which has 52 ISO weeks; 1970 has 53.
    same(dfa.weeks_in_year(np.array([-1, 0, 1, "NaT"], dtype=f"datetime64[{unit}]")), [52, 53, 53, np.nan])


def test_python_scalars_lists_and_strings():
    assert dfa.days_in_month(dt.date(2004, 2, 10)) == 29
    assert dfa.days_in_month(dt.datetime(2004, 2, 29, 23, 59)) == 29
    assert dfa.diff_months(dt.date(2005, 1, 31), dt.date(2005, 2, 28)) == 0
    assert dfa.diff_months(dt.date(2005, 1, 31), "2005-02-28", 1) == 1
    assert dfa.diff_months(np.datetime64("2005-01-31"), 38411.0, 1) == 1  # a date and a serial (2005-02-28)
    same(dfa.weeks_in_year([dt.date(2026, 1, 1), None, "2021-06-30", np.datetime64("NaT", "D")]), [53, np.nan, 52, np.nan])
    same(dfa.days_in_month(np.datetime64("0000-03-01")), 31)       # year 0 is a leap year, March has 31
    same(dfa.is_leap_year(np.datetime64("0001-01-01")), np.nan)    # no serial names it
    same(dfa.is_leap_year(np.datetime64("-0001-12-31")), np.nan)   # outside the calendar
    same(dfa.is_leap_year(np.datetime64("65536-01-01")), np.nan)


def test_text_read_in_one_step_as_value_by_value():
    days = np.datetime64("0000-01-01") + np.arange(0, 3652425, 173)  # years 0 to 9999
    texts = days.astype(str)
    same(dfa.diff_months(texts, texts[::-1], 1), dfa.diff_months(days, days[::-1], 1))
    same(dfa.days_in_month(texts.astype("U30")), dfa.days_in_month(texts.astype(object)))
    with pytest.raises(ValueError, match="'2023-02-29' is not a date"):
        dfa.days_in_month(np.append(texts, "2023-02-29"))


def test_numbers_are_serials_read_as_the_addin_reads_them(addin):
    rng = np.random.default_rng(7)
    serials = np.concatenate([rng.uniform(-700000, 23300000, 3000), rng.integers(-1000, 80000, 3000) + 0.5,
                              [0, -0.5, 60, 61, -693958, -693958.5, 23242572.99, 23242573, np.nan, np.inf, -np.inf]])
    modes = rng.choice([0, 1, 1.9, 2, -1], serials.size)
    inside = (serials >= -693958) & (serials < 23242573)
    for f in ONE_DATE:
        expected = [addin(f, s) if ok else np.nan for s, ok in zip(serials, inside)]
        same(getattr(dfa, f)(serials), expected)
    later = serials[::-1]
    for f in DIFFERENCES:
        expected = [addin(f, a, b, m) if ok1 and ok2 else np.nan
                    for a, b, m, ok1, ok2 in zip(serials, later, modes, inside, inside[::-1])]
        same(getattr(dfa, f)(serials, later, modes), expected)
    same(dfa.is_leap_year([38046, 38046.0]), [1, 1])  # integers are serials too


def test_pandas_and_polars_keep_their_shape():
    days = pd.Series(pd.to_datetime(["2004-02-10", None, "2026-01-01"]), index=[5, 6, 7], name="hired")
    result = dfa.weeks_in_year(days)
    assert isinstance(result, pd.Series) and list(result.index) == [5, 6, 7] and result.name == "hired"
    same(result, [53, np.nan, 53])
    same(dfa.days_in_month(pd.Series(["2004-02-10", None], dtype=object)), [29, np.nan])
    aware = pd.Series(pd.to_datetime(["2004-02-29 23:30"]).tz_localize("Europe/Berlin"))
    same(dfa.days_in_month(aware), [29])  # the day as the zone shows it
    assert isinstance(dfa.is_leap_year(pd.DatetimeIndex(["2000-01-01"])), pd.Index)
    same(dfa.diff_months(days, pd.Series(pd.to_datetime(["2005-02-09", "2005-01-01", None]), index=[5, 6, 7]), 0),
         [11, np.nan, np.nan])
    series = dfa.days_in_month(pl.Series("d", [dt.date(2004, 2, 1), None], dtype=pl.Date))
    assert isinstance(series, pl.Series) and series.to_list() == [29.0, None]


def test_polars_expressions_on_date_and_datetime_columns():
    import dfa_dates.polars  # noqa: F401  registers the namespace
    frame = pl.DataFrame({"a": [dt.date(2005, 1, 31), None, dt.date(1, 3, 1)],
                          "b": [dt.datetime(2005, 2, 28, 12), dt.datetime(2005, 1, 1), None]})
    out = frame.select(pl.col("a").dfa.diff_months(pl.col("b")), pl.col("a").dfa.diff_months(pl.col("b"), 1).alias("iso"),
                       pl.col("b").dfa.weeks_in_year(), pl.col("a").dfa.days_in_month().alias("dim"))
    assert out.columns == ["a", "iso", "b", "dim"] and set(out.schema.values()) == {pl.Int32}
    assert out.rows() == [(0.0, 1.0, 52.0, 31.0), (None, None, 52.0, None), (None, None, None, 31.0)]


def test_the_functions_are_ufuncs_to_their_callers():
    dates = np.array(["2004-01-31", "2000-06-15", "NaT"], dtype="datetime64[s]")
    out = np.full(3, -1.0)
    assert dfa.diff_months(dates, "2005-01-31", 0, out=out, where=[True, False, True]) is out
    same(out, [12, -1, np.nan])
    assert dfa.diff_months.ufunc(dates[:, None], dates, 0.0).shape == (3, 3)  # broadcasting
    assert isinstance(dfa.diff_months.ufunc, np.ufunc) and dfa.diff_months.nin == 3 and dfa.weeks_in_year.nin == 1


def test_the_functions_pickle_by_reference():
    import pickle
    for name in (*dfa.DIFFERENCES, *dfa.ONE_DATE):
        assert pickle.loads(pickle.dumps(getattr(dfa, name))) is getattr(dfa, name)


def test_errors_say_what_is_wrong():
    with pytest.raises(ValueError, match="'abc' is not a date"):
        dfa.days_in_month("abc")
    with pytest.raises(TypeError, match="is a duration, not a date"):
        dfa.days_in_month(dt.timedelta(days=1))
    with pytest.raises(TypeError, match="durations"):
        dfa.days_in_month(np.array([1], dtype="timedelta64[D]"))
    with pytest.raises(TypeError, match="neither a date nor a serial"):
        dfa.days_in_month([object()])


def test_the_module_exports_only_its_init():
    import subprocess
    out = subprocess.run(["nm", "-D", "--defined-only", dfa._ufuncs.__file__], capture_output=True, text=True).stdout
    assert [line.split()[-1] for line in out.splitlines()] == ["PyInit__ufuncs"]
