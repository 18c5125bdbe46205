# SPDX-License-Identifier: MIT
"""The dfa add-in's date functions, as a spreadsheet computes them, for numpy and the libraries
built on it.

Dates may be numpy datetime64 of any unit (floored to the day), datetime.date and
datetime.datetime, ISO 8601 strings, lists of these, pandas Series and Index (of any datetime,
date, string or Arrow dtype), Polars Series, pyarrow arrays, Dask arrays (lazily, through the
ufuncs), or plain numbers, which are spreadsheet serials (days since 1899-12-30, read as the
add-in reads them).

A value's day is the one its own library names: a time zone's local day for a zoned pandas,
Polars or pyarrow timestamp and for an aware datetime (as ``.date()`` gives), the offset's local
day for an ISO string with one (as ``datetime.fromisoformat`` reads it). Text that is not an ISO
date is refused with a ValueError, numeric text included ('38027' is neither a year nor a serial:
pass a number), and so are 'now' and 'today'.

Every day from 0000-01-01 to 65535-12-31 gets the add-in's answer; a missing value (NaT, NaN,
None, pd.NA, an Arrow or Polars null) and a date outside that calendar give NaN, as pandas' .dt
accessors do, and so does 0001-01-01, which no serial of the add-in names. A difference's mode is
a number: 1 (or anything that truncates to 1, such as 1.9) selects ISO 8601; a missing mode
(None, NaN) gives NaN; left out, it is 0. Two pandas Series are aligned on their index first, as
pandas' own arithmetic aligns them.
"""
import datetime as _datetime
import decimal as _decimal
import numbers as _numbers
import re as _re
import sys as _sys

import numpy as _np

from . import _ufuncs

# The add-in's functions, as the compiled module names them: differences take two dates and a mode.
_FUNCTIONS = [u for u in vars(_ufuncs).values() if isinstance(u, _np.ufunc) and u.__name__ != "serial_of_days"]
DIFFERENCES = tuple(u.__name__ for u in _FUNCTIONS if u.nin == 3)
ONE_DATE = tuple(u.__name__ for u in _FUNCTIONS if u.nin == 1)
__all__ = [*DIFFERENCES, *ONE_DATE, "serials"]


def _is_pandas(x):
    pd = _sys.modules.get("pandas")
    return pd is not None and isinstance(x, (pd.Series, pd.Index))


def _is_polars(x):
    pl = _sys.modules.get("polars")
    return pl is not None and isinstance(x, pl.Series)


def _is_arrow(x):
    pa = _sys.modules.get("pyarrow")
    return pa is not None and isinstance(x, (pa.Array, pa.ChunkedArray))


def _is_missing(v):
    pd = _sys.modules.get("pandas")
    return v is None or (pd is not None and v is pd.NA) or (isinstance(v, float) and v != v)


def _from_arrow(values):
    """A pyarrow array as numpy: dates and timestamps as datetime64 of the local day's wall time
    (NaT for null), numbers as float64 (NaN for null), anything else as objects."""
    import pyarrow as pa
    import pyarrow.compute as pc
    kind = values.type
    if pa.types.is_timestamp(kind) and kind.tz is not None:
        values, kind = pc.local_timestamp(values), pa.timestamp(kind.unit)
    if pa.types.is_date(kind) or pa.types.is_timestamp(kind):
        unit = "D" if pa.types.is_date32(kind) else "ms" if pa.types.is_date64(kind) else kind.unit
        counts = values.cast(pa.int32() if pa.types.is_date32(kind) else pa.int64())
        days = counts.fill_null(0).to_numpy(zero_copy_only=False).astype(f"datetime64[{unit}]")
        if values.null_count:
            days[~values.is_valid().to_numpy(zero_copy_only=False)] = _np.datetime64("NaT")
        return days
    if pa.types.is_integer(kind) or pa.types.is_floating(kind) or pa.types.is_decimal(kind):
        return values.cast(pa.float64()).fill_null(float("nan")).to_numpy(zero_copy_only=False)
    return _np.asarray(values.to_pylist(), dtype=object)


def _from_pandas(values):
    """A pandas Series or Index as numpy, each value at its local day: a zoned timestamp by its
    wall time in its zone, Arrow-backed columns through Arrow, nullable numbers as float64."""
    import pandas as pd
    dtype = values.dtype
    if isinstance(dtype, pd.ArrowDtype):
        import pyarrow as pa
        return _from_arrow(pa.array(values))
    if isinstance(dtype, pd.DatetimeTZDtype):
        local = values.dt.tz_localize(None) if isinstance(values, pd.Series) else values.tz_localize(None)
        return local.to_numpy()
    if pd.api.types.is_numeric_dtype(dtype) and not pd.api.types.is_bool_dtype(dtype):
        return values.to_numpy(dtype="float64", na_value=_np.nan)
    return values.to_numpy()


def _from_polars(values):
    """A Polars Series as numpy: a zoned Datetime by its wall time in its zone, null as NaT."""
    import polars as pl
    if isinstance(values.dtype, pl.Datetime) and values.dtype.time_zone is not None:
        values = values.dt.replace_time_zone(None)
    if values.dtype.is_temporal():
        return values.to_numpy()
    return values.cast(pl.Float64).fill_null(float("nan")).to_numpy()


def _datetimes_of_objects(values):
    """An object array (dates, datetimes, strings, missing values) as datetime64[D], or None
    where its values are all plain numbers."""
    flat = values.ravel()
    if all(isinstance(v, (_numbers.Real, _decimal.Decimal)) and not isinstance(v, (bool, _np.bool_)) for v in flat):
        return None
    out = _np.empty(flat.shape, dtype="datetime64[D]")
    for i, v in enumerate(flat):
        out[i] = _day(v)
    return out.reshape(values.shape)


_EXTENDED_ISO_DATE = _re.compile(r"[+-]?\d{4,6}-\d\d-\d\d")
_NUMBER = _re.compile(r"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?")


def _day_of_text(text):
    """An ISO 8601 date or date and time as datetime64[D]: the offset's local day where it has
    one; years before 1 or after 9999 as YYYY-MM-DD alone."""
    s = text.strip()
    if _NUMBER.fullmatch(s):
        raise ValueError(f"dfa_dates: {text!r} is numeric text, neither a date nor a serial; pass a number for a serial")
    try:
        return _np.datetime64(_datetime.datetime.fromisoformat(s).date(), "D")
    except ValueError:
        if _EXTENDED_ISO_DATE.fullmatch(s):
            try:
                return _np.datetime64(s, "D")
            except ValueError:
                pass
    raise ValueError(f"dfa_dates: {text!r} is not a date") from None


def _day(v):
    """One value of an object array as datetime64[D]."""
    if _is_missing(v) or (hasattr(v, "isnat") and _np.isnat(v)) or str(v) == "NaT":
        return _np.datetime64("NaT")
    if isinstance(v, (_datetime.timedelta, _np.timedelta64)):
        raise TypeError(f"dfa_dates: {v!r} is a duration, not a date")
    if isinstance(v, _datetime.datetime):  # an aware one by its own (local) date
        return _np.datetime64(v.date(), "D")
    if isinstance(v, (_datetime.date, _np.datetime64)):
        return _np.datetime64(v, "D") if isinstance(v, _datetime.date) else v.astype("datetime64[D]")
    if isinstance(v, str):
        return _day_of_text(v)
    raise TypeError(f"dfa_dates: {v!r} ({type(v).__name__}) is neither a date nor a serial number")


def _operand(dates):
    """Dates as a ufunc takes them: int64 days since 1970-01-01 for what is a date (datetime64 of
    any unit floored to the day, date objects, ISO strings), float64 serials for numbers.

    Arrays that honour numpy's ufunc protocol (Dask's among them) stay what they are: the
    conversion is made of casts and views."""
    if _is_pandas(dates):
        dates = _from_pandas(dates)
    elif _is_polars(dates):
        dates = _from_polars(dates)
    elif _is_arrow(dates):
        dates = _from_arrow(dates)
    dtype = getattr(dates, "dtype", None)
    if dtype is None:
        dates = _np.asarray(dates)
        dtype = dates.dtype
    kind = _np.dtype(dtype).kind
    if kind == "M":
        # Days from picoseconds and finer overflow numpy's conversion factor: through nanoseconds,
        # which hold every such value (they span at most 106 days around 1970).
        if _np.datetime_data(dtype)[0] in ("ps", "fs", "as"):
            dates = dates.astype("datetime64[ns]")
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
    if _is_pandas(mode) or _is_polars(mode) or _is_arrow(mode):
        mode = _operand(mode)
        if mode.dtype != _np.float64:
            raise TypeError("dfa_dates: a mode is a number, not a date")
        return mode
    if getattr(mode, "dtype", None) is not None:
        return mode.astype("float64")
    return _np.asarray(_np.nan if _is_missing(mode) else mode, dtype="float64")


def _like(template, result):
    """The result in the shape of the first argument: a pandas Series keeps its index and name,
    an Index stays an Index, a Polars Series stays one (Int32, null where the result is NaN)."""
    if _is_pandas(template):
        import pandas as pd
        if isinstance(template, pd.Series):
            return pd.Series(_np.asarray(result), index=template.index, name=template.name)
        return pd.Index(_np.asarray(result), name=template.name)
    if _is_polars(template):
        import polars as pl
        return pl.Series(template.name, _np.asarray(result), dtype=pl.Float64).fill_nan(None).cast(pl.Int32)
    return result


def _named(function, ufunc):
    """The function under the ufunc's name in this module, so that it pickles by reference."""
    function.__name__ = function.__qualname__ = ufunc.__name__
    function.__module__ = __name__
    return function


def _one_date(ufunc):
    def function(date):
        return _like(date, ufunc(_operand(date)))
    _named(function, ufunc)
    function.__doc__ = ufunc.__doc__ + " The date as any of the package's kinds of dates."
    return function


def _aligned(start, end, mode):
    """pandas Series aligned on their index (an outer join, as pandas' arithmetic aligns)."""
    import pandas as pd
    series = [x for x in (start, end, mode) if isinstance(x, pd.Series)]
    if len(series) < 2:
        return start, end, mode
    index = series[0].index
    for s in series[1:]:
        if not index.equals(s.index):
            index = index.union(s.index, sort=False)
    return tuple(x.reindex(index) if isinstance(x, pd.Series) else x for x in (start, end, mode))


def _difference(ufunc):
    def function(start, end, mode=0):
        if _is_pandas(start) or _is_pandas(end) or _is_pandas(mode):
            start, end, mode = _aligned(start, end, mode)
        first, second = _operand(start), _operand(end)
        if first.dtype != second.dtype:  # a date and a serial: both serials
            first, second = _as_serials(first), _as_serials(second)
        return _like(start, ufunc(first, second, _mode(mode)))
    _named(function, ufunc)
    function.__doc__ = ufunc.__doc__ + (" Dates as any of the package's kinds of dates; the mode left out is 0, a missing"
                                        " mode (None, NaN) gives NaN; pandas Series are aligned on their index.")
    return function


for _name in DIFFERENCES:
    globals()[_name] = _difference(getattr(_ufuncs, _name))
for _name in ONE_DATE:
    globals()[_name] = _one_date(getattr(_ufuncs, _name))

