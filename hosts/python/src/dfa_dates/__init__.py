# SPDX-License-Identifier: MIT
"""The dfa add-in's date functions, as a spreadsheet computes them, for numpy and the libraries
built on it.

Dates may be numpy datetime64 of any unit (floored to the day), datetime.date and
datetime.datetime, ISO 8601 strings, lists of these, numpy masked arrays (a masked value is
missing), pandas Series and Index (of any datetime, date, string or Arrow dtype), Polars Series,
pyarrow arrays, Dask arrays and DataFrames (lazily, block by block), or plain numbers, which are spreadsheet serials (days since 1899-12-30, read as the
add-in reads them).

A value's day is the one its own library names: a time zone's local day for a zoned pandas,
Polars or pyarrow timestamp and for an aware datetime (as ``.date()`` gives), the offset's local
day for an ISO string with one (as ``datetime.fromisoformat`` reads it). Text that is not an ISO
date is refused with a ValueError naming it and its position, numeric text included ('38027' is
neither a year nor a serial: pass a number), and so are 'now' and 'today'; a truth value is a
TypeError, whatever holds it.

Every day from 0000-01-01 to 65535-12-31 gets the add-in's answer; a missing value (NaT, NaN,
None, pd.NA, an Arrow or Polars null) and a date outside that calendar give NaN, as pandas' .dt
accessors do, and so does 0001-01-01, which no serial of the add-in names. A difference's mode is
a number: 1 (or anything that truncates to 1, such as 1.9) selects ISO 8601; a missing mode
(None, NaN) gives NaN; left out, it is 0. Two pandas Series are aligned on their index first, as
pandas' own arithmetic aligns them.
"""
import datetime as _datetime
import decimal as _decimal
import inspect as _inspect
import numbers as _numbers
import re as _re
import sys as _sys

import numpy as _np

from . import _ufuncs

# The add-in's functions, as the compiled module names them: differences take two dates and a mode.
_FUNCTIONS = [u for u in vars(_ufuncs).values() if isinstance(u, _np.ufunc) and u.__name__ in _ufuncs.entry_names]
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


def _is_dask(x):
    dask = _sys.modules.get("dask")
    return dask is not None and dask.is_dask_collection(x)


def _is_missing(v):
    pd = _sys.modules.get("pandas")
    return v is None or (pd is not None and v is pd.NA) or (isinstance(v, float) and v != v)


def _from_arrow(values):
    """A pyarrow array as numpy without a step per value: dates and timestamps as datetime64 of
    the local day's wall time (NaT for null), numbers as float64 (NaN for null), text as the
    text reader takes it, other values as objects."""
    import pyarrow as pa
    import pyarrow.compute as pc
    kind = values.type
    if pa.types.is_boolean(kind):
        raise _truth_values(kind)
    if pa.types.is_string(kind) or pa.types.is_large_string(kind) or pa.types.is_string_view(kind):
        return _texts(values.to_pylist())
    if pa.types.is_timestamp(kind) and kind.tz is not None:
        values, kind = pc.local_timestamp(values), pa.timestamp(kind.unit)
    if pa.types.is_date32(kind) and values.null_count == 0 and isinstance(values, pa.Array):
        return _np.frombuffer(values.buffers()[1], _np.int32, len(values), values.offset * 4).astype(_np.int64).view("datetime64[D]")
    if pa.types.is_date(kind) or pa.types.is_timestamp(kind):
        unit = "D" if pa.types.is_date32(kind) else "ms" if pa.types.is_date64(kind) else kind.unit
        counts = values.cast(pa.int32() if pa.types.is_date32(kind) else pa.int64())
        # NaT is the least int64, which no date or timestamp of Arrow's holds.
        return counts.cast(pa.int64()).fill_null(_np.iinfo(_np.int64).min).to_numpy(zero_copy_only=False).view(f"datetime64[{unit}]")
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
    if pd.api.types.is_bool_dtype(dtype):
        raise _truth_values(dtype)
    if pd.api.types.is_numeric_dtype(dtype):
        return values.to_numpy(dtype="float64", na_value=_np.nan)
    if dtype == object or isinstance(dtype, pd.StringDtype):
        return _texts(values.to_numpy())
    return values.to_numpy()


def _from_polars(values):
    """A Polars Series as numpy: a zoned Datetime by its wall time in its zone, null as NaT;
    numbers as float64, text as the text reader takes it."""
    import polars as pl
    dtype = values.dtype
    if dtype == pl.Boolean:
        raise _truth_values(dtype)
    if isinstance(dtype, pl.Datetime) and dtype.time_zone is not None:
        values = values.dt.replace_time_zone(None)
    if dtype.is_temporal():
        return _operand(values.to_numpy())
    if dtype.is_numeric():
        return values.cast(pl.Float64).fill_null(float("nan")).to_numpy()
    if dtype in (pl.String, pl.Categorical) or isinstance(dtype, pl.Enum):
        return _texts(values.cast(pl.String).to_list())
    return _np.asarray(values.to_list(), dtype=object)


def _texts(texts):
    """Text values (None for a missing one) as the text reader takes them: in one step where
    none is missing, else value by value."""
    texts = _np.asarray(texts, dtype=object)
    if texts.size and all(isinstance(t, str) for t in texts.flat):
        return _days_of_text(texts.astype("U"))
    return texts


def _truth_values(dtype):
    return TypeError(f"dfa_dates: truth values ({dtype}) are neither dates nor serials")


def _days_of_text(texts):
    """Text as datetime64[D] in one step where every value is a day written YYYY-MM-DD, else as
    objects for the object loop, which reads each with _day_of_text."""
    width = texts.dtype.itemsize // 4
    if texts.dtype.kind == "U" and width >= 10 and texts.size:
        codes = _np.ascontiguousarray(texts).reshape(-1).view(_np.uint32).reshape(-1, width)
        # Column by column: each character of every value in one pass; what is no digit wraps to 10 or more.
        digit = [codes[:, k].astype(_np.int64) - ord("0") if k not in (4, 7) else None for k in range(10)]
        fits = (codes[:, 4] == ord("-")) & (codes[:, 7] == ord("-"))
        if width > 10:
            fits &= codes[:, 10] == 0
        for d in digit:
            if d is not None:
                fits &= (d >= 0) & (d <= 9)
        if fits.all():
            year = ((digit[0] * 10 + digit[1]) * 10 + digit[2]) * 10 + digit[3]
            month, day = digit[5] * 10 + digit[6], digit[8] * 10 + digit[9]
            months = ((year - 1970) * 12 + month - 1).view("datetime64[M]")
            if ((month >= 1) & (month <= 12) & (day >= 1) & (day <= _ufuncs.days_in_month(months))).all():
                return (months.astype("datetime64[D]") + (day - 1)).reshape(texts.shape)
    return texts.astype(object)


def _shown(value):
    """A value as an error message shows it: its repr, cut after 40 characters."""
    text = repr(value)
    return text if len(text) <= 40 else text[:37] + "..."


_EXTENDED_ISO_DATE = _re.compile(r"[+-]?\d{4,6}-\d\d-\d\d")
_NUMBER = _re.compile(r"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?")


def _day_of_text(text):
    """An ISO 8601 date or date and time as a datetime.date, the offset's local day where it has
    one; years before 1 or after 9999 as YYYY-MM-DD alone, as datetime64[D]."""
    s = text.strip()
    if len(s) >= 10 and s[4] == "-" and s[:4].isdigit():  # the usual YYYY-MM-DD…, no number
        try:
            return _datetime.datetime.fromisoformat(s).date()
        except ValueError:
            pass
    if _NUMBER.fullmatch(s):
        raise ValueError(f"dfa_dates: {_shown(text)} is numeric text, neither a date nor a serial; pass a number for a serial")
    try:
        return _datetime.datetime.fromisoformat(s).date()
    except ValueError:
        if _EXTENDED_ISO_DATE.fullmatch(s):
            try:
                return _np.datetime64(s, "D")
            except ValueError:
                pass
    raise ValueError(f"dfa_dates: {_shown(text)} is not a date") from None


def _is_number(v):
    """A number of Python's, numpy's or decimal's; a truth value is none."""
    return isinstance(v, (_numbers.Real, _decimal.Decimal)) and not isinstance(v, (bool, _np.bool_))


def _serial_of_object(v):
    """What the ufuncs' object loop makes of a value it does not read itself (it reads dates,
    datetimes, floats and None): a datetime.date, a serial, or NaN for a missing value."""
    if isinstance(v, str):
        v = _day_of_text(v)
    elif _is_missing(v) or (isinstance(v, _np.datetime64) and _np.isnat(v)) or str(v) == "NaT":
        return _np.nan
    if isinstance(v, (bool, _np.bool_)):
        raise TypeError(f"dfa_dates: {v!r} is a truth value, neither a date nor a serial")
    if _is_number(v):
        return float(v)
    if isinstance(v, (_datetime.timedelta, _np.timedelta64)):
        raise TypeError(f"dfa_dates: {_shown(v)} is a duration, not a date")
    if isinstance(v, _datetime.datetime):  # pandas' Timestamp among them: an aware one by its own date
        return v.date()
    if isinstance(v, _datetime.date):
        return v
    if isinstance(v, _np.datetime64):
        return float(_ufuncs.serial(v))
    raise TypeError(f"dfa_dates: {_shown(v)} ({type(v).__name__}) is neither a date nor a serial number")


_ufuncs.set_object_reader(_serial_of_object)


def _operand(dates):
    """Dates as the ufuncs take them: datetime64 of any unit, objects, or float64 serials.

    Arrays of other libraries that honour numpy's ufunc protocol (Dask's, xarray's) stay what
    they are: the ufunc then runs on each of their blocks."""
    if _is_pandas(dates):
        return _from_pandas(dates)
    if _is_polars(dates):
        return _from_polars(dates)
    if _is_arrow(dates):
        return _from_arrow(dates)
    if isinstance(dates, _np.ma.MaskedArray):
        return _operand(_unmasked(dates))
    if not isinstance(dates, _np.ndarray) and hasattr(dates, "__array_ufunc__") and hasattr(dates, "dtype"):
        return dates
    dates = _np.asarray(dates)
    kind = dates.dtype.kind
    if kind in "MOf":
        return dates
    if kind == "b":
        raise _truth_values(dates.dtype)
    if kind in "iu":
        return dates.astype("float64")
    if kind in "US":
        return _days_of_text(dates.astype("U") if kind == "S" else dates)
    if kind == "m":
        raise TypeError(f"dfa_dates: durations ({dates.dtype}) are not dates")
    raise TypeError(f"dfa_dates: values of type {dates.dtype} are not dates")


def _located(error, operands):
    """The error of a value, with the position of the first value that has one (of the first
    operand that has one), which the ufunc's loop does not know."""
    for operand in operands:
        if getattr(operand, "dtype", None) == object:
            for i, v in enumerate(operand.flat):
                try:
                    _serial_of_object(v)
                except (ValueError, TypeError) as e:
                    return type(e)(f"{e} (position {i})")
    return error


def _unmasked(values):
    """A masked array's values with each masked one missing (NaT, NaN or None)."""
    kind = values.dtype.kind
    if kind == "M":
        return values.filled(_np.datetime64("NaT", _np.datetime_data(values.dtype)[0]))
    if kind in "iuf":
        return values.astype("float64").filled(_np.nan)
    if kind == "b":
        raise _truth_values(values.dtype)
    return _np.where(_np.ma.getmaskarray(values), None, values.data.astype(object))


def serials(dates):
    """The add-in's serials of dates (float64, NaN for what is no date of its calendar)."""
    return _ufuncs.serial(_operand(dates))


def _mode_number(v):
    if _is_missing(v):
        return _np.nan
    if _is_number(v):
        return float(v)
    raise TypeError(f"dfa_dates: a mode is a number, not {v!r}")


def _mode(mode):
    """The mode as float64, NaN where it is missing."""
    if _is_number(mode) or _is_missing(mode):
        return _np.array(_mode_number(mode))
    if _is_pandas(mode) or _is_polars(mode) or _is_arrow(mode):
        mode = _operand(mode)
    elif getattr(mode, "dtype", None) is None:
        mode = _np.asarray(mode, dtype=object)
    if isinstance(mode, _np.ma.MaskedArray):
        mode = _unmasked(mode)
    kind = mode.dtype.kind
    if kind == "O":
        return _np.vectorize(_mode_number, otypes=["float64"])(mode)
    if kind in "iuf":
        return mode.astype("float64")
    raise TypeError(f"dfa_dates: a mode is a number, not a value of type {mode.dtype}")


def _like(template, result):
    """The result in the shape of the first argument: a pandas Series keeps its index and name,
    an Index stays an Index, a Polars Series stays one (Int32, null where the result is NaN)."""
    if _is_pandas(template):
        import pandas as pd
        # The results are the call's own: pandas keeps them rather than a copy.
        if isinstance(template, pd.Series):
            return pd.Series(_np.asarray(result), index=template.index, name=template.name, copy=False)
        return pd.Index(_np.asarray(result), name=template.name, copy=False)
    if _is_polars(template):
        import polars as pl
        return pl.Series(template.name, _int32_arrow(_np.asarray(result)))
    if isinstance(template, _np.ma.MaskedArray):
        return _np.ma.masked_invalid(result)
    return result


def _int32_arrow(result):
    """Results as an Arrow int32 array, null where they are NaN."""
    missing = _np.isnan(result)
    with _np.errstate(invalid="ignore"):
        return _arrow_of_int32(result.astype(_np.int32), missing if missing.any() else None)


def _arrow_of_int32(values, missing):
    """int32 values as an Arrow array (sharing their memory), null where missing is true (None
    where none is missing)."""
    import pyarrow as pa
    return pa.array(values, mask=missing)


# The column kernels' int32 results hold the least int32 where there is none.
_NO_RESULT = _np.iinfo(_np.int32).min


def _day_counts(values):
    """Arrow date32 values (an array, or a chunked array) and a Polars Date Series as their int32
    day counts since 1970-01-01, without a copy where they are one run, and a mask of their nulls
    (None where none is null); None for values of any other kind."""
    if _is_polars(values):
        import polars as pl
        if values.dtype != pl.Date:
            return None
        values = values.to_arrow()
    if not _is_arrow(values):
        return None
    import pyarrow as pa
    if not pa.types.is_date32(values.type):
        return None
    if isinstance(values, pa.ChunkedArray):
        values = values.chunk(0) if values.num_chunks == 1 else values.combine_chunks()
    if len(values) == 0:
        return _np.empty(0, _np.int32), None
    days = _np.frombuffer(values.buffers()[1], _np.int32, len(values), values.offset * 4)
    nulls = values.is_null().to_numpy(zero_copy_only=False) if values.null_count else None
    return (days if days.flags.aligned else days.copy()), nulls


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


class DateFunction:
    """One of the add-in's functions: its numpy ufunc (``.ufunc``), called on dates of any kind
    the package reads. As a ufunc it takes ``out=``, ``where=`` and numpy's other keywords,
    broadcasts, and answers ``nin``, ``types`` and the rest; arrays of other libraries that
    honour numpy's ufunc protocol (Dask, xarray) get the ufunc itself. Pickled by reference."""

    def __init__(self, ufunc):
        self.ufunc = ufunc
        self.__name__ = self.__qualname__ = ufunc.__name__
        self.__module__ = __name__
        self.__doc__ = ufunc.__doc__ + (
            " Dates as any of the package's kinds of dates; the mode left out is 0, a missing mode (None, NaN) gives NaN;"
            " pandas Series are aligned on their index." if ufunc.nin == 3 else " The date as any of the package's kinds of dates.")

    @property
    def __signature__(self):
        P = _inspect.Parameter
        dates = ["start", "end"] if self.ufunc.nin == 3 else ["date"]
        return _inspect.Signature([*(P(d, P.POSITIONAL_ONLY) for d in dates),
                                   *([P("mode", P.POSITIONAL_ONLY, default=0)] if self.ufunc.nin == 3 else []),
                                   P("out", P.POSITIONAL_OR_KEYWORD, default=None), P("kwargs", P.VAR_KEYWORD)])

    def __call__(self, *args, out=None, **kwargs):
        nin = self.ufunc.nin
        if nin == 3 and "mode" in kwargs:
            if len(args) != 2:
                raise TypeError(f"{self.__name__}() got the mode twice, or dates missing")
            args = (*args, kwargs.pop("mode"))
        if nin == 3 and len(args) == 2:
            args = (*args, 0)
        elif len(args) == nin + 1 and out is None:  # out given by position, as ufuncs take it
            *args, out = args
        if len(args) != nin:
            raise TypeError(f"{self.__name__}() takes {'2 or 3' if nin == 3 else 1} arguments ({len(args)} given)")
        if any(_is_dask(a) for a in args):
            return self._on_dask(args, out, kwargs)
        if _is_polars(args[0]) and out is None and not kwargs:
            counted = self._on_day_counts(args)
            if counted is not None:
                import polars as pl
                return pl.Series(args[0].name, _arrow_of_int32(*counted))
        if nin == 3 and any(_is_pandas(a) for a in args):
            args = _aligned(*args)
        operands = self.operands(args)
        try:
            result = self.ufunc(*operands, out=out, **kwargs)
        except (ValueError, TypeError) as e:
            raise _located(e, operands) from None
        return _like(args[0], result)

    def _on_day_counts(self, args):
        """The function over Arrow date32 or Polars Date columns of one length, by the add-in's
        column kernel on their day counts: int32 results and where there is none (None where
        every value has one); None for dates of other kinds, which the ufunc takes."""
        dates = [_day_counts(a) for a in args[:2 if self.ufunc.nin == 3 else 1]]
        if any(d is None for d in dates) or len({len(days) for days, _ in dates}) > 1:
            return None
        results = _np.empty(len(dates[0][0]), _np.int32)
        operands = [days for days, _ in dates]
        if self.ufunc.nin == 3:
            modes = _np.ascontiguousarray(_mode(args[2]), _np.float64).reshape(-1)
            if modes.size not in (1, results.size):
                return None
            operands.append(modes)
        none = _ufuncs.int32_column(self.ufunc, results, *operands)
        nulls = [n for _, n in dates if n is not None]
        if not none and not nulls:
            return results, None
        missing = results == _NO_RESULT
        for n in nulls:
            missing |= n
        return results, missing

    def _on_dask(self, args, out, kwargs):
        """A Dask collection's blocks or partitions, each through the whole package (its text
        and every other kind of value), lazily."""
        if out is not None or kwargs:
            raise TypeError(f"{self.__name__}(): numpy's keywords are not taken with Dask collections")
        import dask.array as da
        if any(isinstance(a, da.Array) for a in args):
            return da.map_blocks(self, *args, dtype="float64")
        import dask.dataframe as dd
        return dd.map_partitions(self, *args, meta=(getattr(args[0], "name", None), "float64"))

    def operands(self, args):
        """The arguments as the ufunc takes them: dates as _operand reads them (a date and a
        serial both as serials), the mode as float64."""
        dates = [_operand(a) for a in args[:2 if self.ufunc.nin == 3 else 1]]
        if len({getattr(d, "dtype", _np.float64).kind for d in dates}) > 1:
            dates = [_ufuncs.serial(d) for d in dates]
        return (*dates, _mode(args[2])) if self.ufunc.nin == 3 else dates

    def __getattr__(self, name):
        return getattr(self.ufunc, name)

    def __reduce__(self):
        return self.__name__

    def __repr__(self):
        return f"<dfa_dates function {self.__name__}>"


for _name in (*DIFFERENCES, *ONE_DATE):
    globals()[_name] = DateFunction(getattr(_ufuncs, _name))
