# SPDX-License-Identifier: MIT
"""The seven functions in Spark: as Column functions (Arrow UDFs from Spark 4.1, pandas UDFs
before) for DataFrames of any size,

    from dfa_dates import spark as dfa
    df.select(dfa.diff_months("hired", "left", 1), dfa.weeks_in_year(col("hired")))

and in Spark SQL under the add-in's names, after ``dfa.register(spark)``:

    SELECT qvdate_getdiffmonths(hired, left), qvdate_getdiffmonths(hired, left, 1) FROM staff

Arguments are Columns or column names, the mode included (a mode may also be a number);
DateType, TimestampType (by its day in the session time zone, as to_date gives it) and numeric
(serial) columns. Results are IntegerType, null where a date or the mode is null or a date is
outside the add-in's calendar.
"""
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


def _integers(result):
    return pd.Series(result).astype("Int32")


def _udf(function):
    """The UDF of a function: a date, or two dates and an optional mode."""
    if arrow_udf is not None:
        if function.nin == 1:
            def compute(date: pa.Array) -> pa.Array:
                return _compute(function, date)
        else:
            def compute(start: pa.Array, end: pa.Array, *mode: pa.Array) -> pa.Array:
                return _compute(function, start, end, *(mode or (pa.scalar(0.0),)))
        wrap = arrow_udf
    else:
        if function.nin == 1:
            def compute(date: pd.Series) -> pd.Series:
                return _integers(function(date))
        else:
            def compute(start: pd.Series, end: pd.Series, *mode: pd.Series) -> pd.Series:
                return _integers(function(start, end, *mode))
        wrap = pandas_udf
    compute.__name__ = compute.__qualname__ = function.__name__
    return wrap(compute, IntegerType())


def _one_date(function):
    udf = _udf(function)

    def column(date):
        return udf(_column(date)).alias(function.__name__)
    column.__name__, column.__doc__ = function.__name__, function.__doc__
    return column


def _difference(function):
    udf = _udf(function)

    def column(start, end, mode=0):
        if not isinstance(mode, Column):
            mode = F.col(mode) if isinstance(mode, str) else F.lit(None if mode is None else float(mode)).cast("double")
        return udf(_column(start), _column(end), mode).alias(function.__name__)
    column.__name__, column.__doc__ = function.__name__, function.__doc__
    return column


def register(spark):
    """Registers the seven in the session for Spark SQL under the add-in's entry names (SQL names
    ignore case); a difference takes two dates and an optional mode."""
    for name in (*_dfa.DIFFERENCES, *_dfa.ONE_DATE):
        spark.udf.register(_dfa._ufuncs.entry_names[name], _udf(getattr(_dfa, name)))


__all__ = [*_dfa.DIFFERENCES, *_dfa.ONE_DATE, "register"]
for _name in _dfa.DIFFERENCES:
    globals()[_name] = _difference(getattr(_dfa, _name))
for _name in _dfa.ONE_DATE:
    globals()[_name] = _one_date(getattr(_dfa, _name))
