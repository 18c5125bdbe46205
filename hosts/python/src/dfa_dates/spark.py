# SPDX-License-Identifier: MIT
"""The seven functions as Spark Column functions (pandas_udf), for DataFrames of any size:

    from dfa_dates import spark as dfa
    df.select(dfa.diff_months("hired", "left", 1), dfa.weeks_in_year(col("hired")))

Arguments are Columns or column names (a mode may also be a number); DateType, TimestampType
(by its day in the session time zone, as to_date gives it) and numeric (serial) columns.
Results are doubles, null where a date or the mode is null or a date is outside the add-in's
calendar.
"""
import pandas as pd
from pyspark.sql import Column
from pyspark.sql import functions as F
from pyspark.sql.functions import pandas_udf
from pyspark.sql.types import DoubleType

import dfa_dates as _dfa


def _column(x):
    return x if isinstance(x, Column) else F.col(x)


def _one_date(function):
    def compute(date: pd.Series) -> pd.Series:
        return function(date)
    udf = pandas_udf(compute, DoubleType())

    def column(date):
        return udf(_column(date)).alias(function.__name__)
    column.__name__, column.__doc__ = function.__name__, function.__doc__
    return column


def _difference(function):
    def compute(start: pd.Series, end: pd.Series, mode: pd.Series) -> pd.Series:
        return function(start, end, mode)
    udf = pandas_udf(compute, DoubleType())

    def column(start, end, mode=0):
        if not isinstance(mode, Column):
            mode = F.col(mode) if isinstance(mode, str) else F.lit(None if mode is None else float(mode)).cast("double")
        return udf(_column(start), _column(end), mode).alias(function.__name__)
    column.__name__, column.__doc__ = function.__name__, function.__doc__
    return column


__all__ = [*_dfa.DIFFERENCES, *_dfa.ONE_DATE]
for _name in _dfa.DIFFERENCES:
    globals()[_name] = _difference(getattr(_dfa, _name))
for _name in _dfa.ONE_DATE:
    globals()[_name] = _one_date(getattr(_dfa, _name))
