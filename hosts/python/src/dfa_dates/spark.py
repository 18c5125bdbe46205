# SPDX-License-Identifier: MIT
"""The seven functions in Spark: as Column functions (Arrow UDFs from Spark 4.1, pandas UDFs
before) for DataFrames of any size,

    from dfa_dates import spark as dfa
    df.select(dfa.diff_months("hired", "left", 1), dfa.weeks_in_year(col("hired")))

and in Spark SQL under the add-in's names, after ``dfa.register(spark)``:

    SELECT qvdate_getdiffmonths(hired, left), qvdate_getdiffmonths(hired, to_date(left_at), 1) FROM staff

A value's day is Spark's own: a DATE is its day, a TIMESTAMP_NTZ its own day, and in the Column
functions a TIMESTAMP its day in the session time zone, decided in the query as to_date
decides it; numbers are serials and text is ISO 8601, as the package reads them. In SQL a
TIMESTAMP is refused (pass to_date(x)): a Python UDF cannot ask Spark for its day; before Spark
4.1 a UDF is handed both kinds of timestamp alike, so there SQL refuses a TIMESTAMP_NTZ too, and
Spark's conversion of a DATE before year 1 (to datetime.date) or of a timestamp outside pandas'
nanoseconds is Spark's own error. Columns or
column names, the mode included (a mode may also be a number). Results are IntegerType, null
where a date or the mode is null or a date is outside the add-in's calendar.
"""
import datetime

import numpy as np
import pandas as pd
from pyspark.sql import Column
from pyspark.sql import functions as F
from pyspark.sql.functions import pandas_udf
from pyspark.sql.types import IntegerType

import dfa_dates as _dfa

try:  # Spark 4.1 and later hand a UDF Arrow arrays, dates as date32: no pandas step
    import pyarrow as pa
    from pyspark.sql.functions import arrow_udf
    from dfa_dates.arrow import compute as _compute
except ImportError:
    arrow_udf = None


def _column(x):
    return x if isinstance(x, Column) else F.col(x)


def _day(column):
    """Spark's own day of a value as days since 1970-01-01: to_date's in the session time zone
    (for a number, a value that the UDF does not read)."""
    # Column.try_cast is Spark 4's; in 3.5 any attribute of a column is a field of it.
    moment = column.try_cast("timestamp") if hasattr(Column, "try_cast") else column.cast("timestamp")
    return F.unix_date(F.to_date(moment))


def _arrow_date(value, day, entry):
    """A date argument as the package reads it: a TIMESTAMP by Spark's day of it, any other
    value (a DATE, a TIMESTAMP_NTZ, a number, text) as it is."""
    if pa.types.is_timestamp(value.type) and value.type.tz is not None:
        if day is None:
            raise ValueError(_REFUSED_TIMESTAMP.format(entry))
        return day.cast(pa.date32())
    return value


def _pandas_date(value, day, entry):
    """The same for a pandas UDF, which is handed a TIMESTAMP already turned into local time by
    pandas' zone rules (and a TIMESTAMP_NTZ alike), and a DATE as datetime.date, which has no
    year 0: Spark's day of each."""
    if value.dtype.kind == "M" and day is None:
        raise ValueError(_REFUSED_TIMESTAMP.format(entry))
    dated = value.dtype.kind == "M" or (value.dtype == object and any(isinstance(v, datetime.date) for v in value.dropna()[:1]))
    return _pandas_days(day) if dated and day is not None else value


_REFUSED_TIMESTAMP = ("dfa_dates: {0}: a TIMESTAMP's day is that of the session time zone, which a Python UDF cannot"
                      " ask Spark for: pass to_date(x)")


def _pandas_days(days):
    """Spark's day counts (days since 1970-01-01, null where missing) as datetime64[D]."""
    return pd.Series(np.where(days.isna(), np.datetime64("NaT", "D"), days.fillna(0).to_numpy("int64").view("datetime64[D]")))


def _udf(function, entry, with_days):
    """The UDF of a function: on (value, Spark's day) pairs, one per date, and the mode (the
    Column functions), or on the values alone, as SQL passes them."""
    dates, step = (2 if function.nin == 3 else 1), (2 if with_days else 1)
    takes = "two dates and an optional mode" if function.nin == 3 else "one date"

    def arguments_of(arguments, read):
        given = len(arguments) - dates * (step - 1)
        if not (dates <= given <= (3 if function.nin == 3 else 1)):
            raise TypeError(f"dfa_dates: {entry} takes {takes} ({given} given)")
        values = [read(arguments[step * i], arguments[step * i + 1] if with_days else None, entry) for i in range(dates)]
        return (*values, *arguments[step * dates:])

    if arrow_udf is not None:
        def compute(*arguments: pa.Array) -> pa.Array:
            return _compute(function, *arguments_of(arguments, _arrow_date))
        wrap = arrow_udf
    else:
        def compute(*arguments: pd.Series) -> pd.Series:
            return pd.Series(function(*arguments_of(arguments, _pandas_date))).astype("Int32")
        wrap = pandas_udf
    compute.__name__ = compute.__qualname__ = entry
    return wrap(compute, IntegerType())


def _mode_column(mode):
    if isinstance(mode, Column):
        return mode
    return F.col(mode) if isinstance(mode, str) else F.lit(None if mode is None else float(mode)).cast("double")


def _one_date(function):
    udf = _udf(function, function.__name__, with_days=True)

    def column(date):
        date = _column(date)
        return udf(date, _day(date)).alias(function.__name__)
    column.__name__, column.__doc__ = function.__name__, function.__doc__
    return column


def _difference(function):
    udf = _udf(function, function.__name__, with_days=True)

    def column(start, end, mode=0):
        start, end = _column(start), _column(end)
        return udf(start, _day(start), end, _day(end), _mode_column(mode)).alias(function.__name__)
    column.__name__, column.__doc__ = function.__name__, function.__doc__
    return column


def register(spark):
    """Registers the seven in the session for Spark SQL under the add-in's entry names (SQL names
    ignore case): a difference takes two dates and an optional mode, the others a date. A date is
    a DATE, a TIMESTAMP_NTZ, a number (a serial) or ISO text; a TIMESTAMP is refused (pass
    to_date(x), Spark's day of it in the session time zone), and so is another count of arguments."""
    for name in (*_dfa.DIFFERENCES, *_dfa.ONE_DATE):
        entry = _dfa._ufuncs.entry_names[name]
        spark.udf.register(entry, _udf(getattr(_dfa, name), entry, with_days=False))


__all__ = [*_dfa.DIFFERENCES, *_dfa.ONE_DATE, "register"]
for _name in _dfa.DIFFERENCES:
    globals()[_name] = _difference(getattr(_dfa, _name))
for _name in _dfa.ONE_DATE:
    globals()[_name] = _one_date(getattr(_dfa, _name))
