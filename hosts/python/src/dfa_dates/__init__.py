# SPDX-License-Identifier: MIT
"""The dfa add-in's date functions, as a spreadsheet computes them, for numpy and the libraries
built on it.

Dates may be numpy datetime64 of any unit (floored to the day), datetime.date and
datetime.datetime, ISO date strings, lists of these, pandas Series and Index, Polars Series,
Dask arrays (lazily, through the ufuncs), or plain numbers, which are spreadsheet serials (days
since 1899-12-30, read as the add-in reads them). Every day from 0000-01-01 to 65535-12-31 gets
the add-in's answer; a missing value (NaT, NaN, None, null) and a date outside that calendar give
NaN, as pandas' .dt accessors do, and so does 0001-01-01, which no serial of the add-in names.
A difference's mode is a number: 1 (or anything that truncates to 1) selects ISO 8601.
"""
import datetime as _datetime
import numbers as _numbers
import sys as _sys

import numpy as _np

from . import _ufuncs

__all__ = ["diff_weeks", "diff_months", "diff_years", "is_leap_year", "days_in_month", "days_in_year",
           "weeks_in_year", "serials"]


def _is_pandas(x):
    pd = _sys.modules.get("pandas")
    return pd is not None and isinstance(x, (pd.Series, pd.Index))


def _is_polars(x):
    pl = _sys.modules.get("polars")
    return pl is not None and isinstance(x, pl.Series)


def _datetimes_of_objects(values):
    """An object array (dates, datetimes, strings, missing values) as datetime64[D], or None
    where its values are all plain numbers."""
    flat = values.ravel()
    if all(isinstance(v, _numbers.Real) and not isinstance(v, (bool, _np.bool_)) for v in flat):
        return None
    out = _np.empty(flat.shape, dtype="datetime64[D]")
    for i, v in enumerate(flat):
        out[i] = _day(v)
    return out.reshape(values.shape)


def _day(v):
    """One value of an object array as datetime64[D]."""
    if v is None or (isinstance(v, float) and v != v) or (hasattr(v, "isnat") and _np.isnat(v)) or str(v) == "NaT":
        return _np.datetime64("NaT")
    if isinstance(v, (_datetime.timedelta, _np.timedelta64)):
        raise TypeError(f"dfa_dates: {v!r} is a duration, not a date")
    if isinstance(v, _datetime.datetime):
        return _np.datetime64(v.replace(tzinfo=None), "us").astype("datetime64[D]")
    if isinstance(v, (_datetime.date, _np.datetime64)):
        return _np.datetime64(v, "D") if isinstance(v, _datetime.date) else v.astype("datetime64[D]")
    if isinstance(v, str):
        try:
            return _np.datetime64(v).astype("datetime64[D]")
        except ValueError:
            raise ValueError(f"dfa_dates: {v!r} is not a date") from None
    raise TypeError(f"dfa_dates: {v!r} ({type(v).__name__}) is neither a date nor a serial number")


def _operand(dates):
    """Dates as a ufunc takes them: int64 days since 1970-01-01 for what is a date (datetime64 of
    any unit floored to the day, date objects, ISO strings), float64 serials for numbers.

    Arrays that honour numpy's ufunc protocol (Dask's among them) stay what they are: the
    conversion is made of casts and views."""
    dtype = getattr(dates, "dtype", None)
    if dtype is None or _is_pandas(dates) or _is_polars(dates):
        dates = _np.asarray(dates.to_numpy() if _is_polars(dates) else dates)
        dtype = dates.dtype
    kind = _np.dtype(dtype).kind
    if kind == "M":
        return dates.astype("datetime64[D]", copy=False).view("int64")
    if kind in "biuf":
        return dates.astype("float64", copy=False)
    if kind == "m":
        raise TypeError(f"dfa_dates: durations ({dtype}) are not dates")
    if kind in "OUS":
        objects = _np.asarray(dates, dtype=object)
        days = _datetimes_of_objects(objects)
        return objects.astype("float64") if days is None else days.view("int64")
    raise TypeError(f"dfa_dates: values of type {dtype} are not dates")


def _as_serials(operand):
    return _ufuncs.serial_of_days(operand) if operand.dtype == _np.int64 else operand


def serials(dates):
    """The add-in's serials of dates (float64, NaN for what is no date of its calendar)."""
    return _as_serials(_operand(dates))


def _mode(mode):
    """The mode as float64, NaN where it is missing."""
    if _is_pandas(mode):
        return mode.to_numpy(dtype="float64", na_value=_np.nan)
    if _is_polars(mode):
        return mode.cast(float).fill_null(float("nan")).to_numpy()
    if getattr(mode, "dtype", None) is not None:
        return mode.astype("float64")
    return _np.asarray(_np.nan if mode is None else mode, dtype="float64")


def _like(template, result):
    """The result in the shape of the first argument: a pandas Series keeps its index and name,
    an Index stays an Index, a Polars Series stays one (with null where the result is NaN)."""
    if _is_pandas(template):
        import pandas as pd
        if isinstance(template, pd.Series):
            return pd.Series(_np.asarray(result), index=template.index, name=template.name)
        return pd.Index(_np.asarray(result), name=template.name)
    if _is_polars(template):
        import polars as pl
        return pl.Series(template.name, _np.asarray(result), dtype=pl.Float64).fill_nan(None)
    return result


def _one_date(ufunc):
    def function(date):
        return _like(date, ufunc(_operand(date)))
    function.__name__ = ufunc.__name__
    function.__doc__ = ufunc.__doc__ + " The date as any of the package's kinds of dates."
    return function


def _difference(ufunc):
    def function(start, end, mode=0):
        first, second = _operand(start), _operand(end)
        if first.dtype != second.dtype:  # a date and a serial: both serials
            first, second = _as_serials(first), _as_serials(second)
        return _like(start, ufunc(first, second, _mode(mode)))
    function.__name__ = ufunc.__name__
    function.__doc__ = ufunc.__doc__ + " Dates as any of the package's kinds of dates; a missing mode is 0."
    return function


DIFFERENCES = ("diff_weeks", "diff_months", "diff_years")
ONE_DATE = ("is_leap_year", "days_in_month", "days_in_year", "weeks_in_year")
for _name in DIFFERENCES:
    globals()[_name] = _difference(getattr(_ufuncs, _name))
for _name in ONE_DATE:
    globals()[_name] = _one_date(getattr(_ufuncs, _name))

try:  # the expression namespace, where Polars is installed
    from . import polars as _polars  # noqa: F401
except ImportError:
    pass
