# SPDX-License-Identifier: MIT
"""What an element costs in Python, each of dfa_dates' ways in beside the nearest expression of
the engine it runs in, in one run: N dates of 1900-2100 (default 2,000,000), the fastest of
REPEAT runs (default 5), in ns per element, and the ratio to the engine's own.

- numpy datetime64[D] against numpy's own arithmetic on the same arrays (a division by 7 of the
  day counts, a subtraction of the dates);
- numpy datetime64[D], pandas datetime64[ns] and Arrow date32 against pandas' .dt accessors (the
  differences against their calendar arithmetic of years and months);
- object arrays of datetime.date and ISO strings against pandas reading the same;
- Polars' dfa namespace against Polars' own dt expressions;
- pyarrow.compute and DataFusion SQL, registered, against their year extraction;
- with SPARK=1, Spark SQL on a local[2] session: the registered UDFs (Arrow UDFs from Spark 4.1,
  pandas UDFs before) against months_between and year, and, from 4.1, an Arrow UDF that
  computes nothing (the floor of Spark's Python UDFs)."""
import datetime as dt
import os
import time

import datafusion
import numpy as np
import pandas as pd
import polars as pl
import pyarrow as pa
import pyarrow.compute as pc

import dfa_dates as dfa
import dfa_dates.arrow
import dfa_dates.datafusion
import dfa_dates.polars  # noqa: F401  the namespace

N, REPEAT = int(os.environ.get("N", 2_000_000)), int(os.environ.get("REPEAT", 5))
rng = np.random.default_rng(1)
a = np.datetime64("1900-01-01") + rng.integers(0, 73049, N)
b = np.datetime64("1900-01-01") + rng.integers(0, 73049, N)
pa_, pb = pd.Series(a.astype("datetime64[ns]")), pd.Series(b.astype("datetime64[ns]"))
arrow_a, arrow_b = pa.array(a), pa.array(b)
frame = pl.DataFrame({"a": a, "b": b})
objects = a.astype(object)
texts = a.astype(str)


def best(*runs):
    """The fastest of REPEAT runs of each, in ns per element; the runs take turns, so that a
    machine that slows down or speeds up meanwhile does so for each alike."""
    fastest = [float("inf")] * len(runs)
    for _ in range(REPEAT):
        for i, run in enumerate(runs):
            start = time.perf_counter_ns()
            run()
            fastest[i] = min(fastest[i], time.perf_counter_ns() - start)
    return [f / N for f in fastest]


def report(title, pairs):
    print(title)
    for name, ours, theirs_name, theirs in pairs:
        mine, native = best(ours, theirs)
        print(f"  {name:34} {mine:7.2f}   {theirs_name:38} {native:7.2f}   x{mine / native:5.2f}")


def whole(units, reached_first, reached_second):
    """Whole units from a count of calendar units: one less where the later date's place in its
    unit (day of month, month and day of year) falls short of the earlier's."""
    return units - ((units > 0) & (reached_second < reached_first)) + ((units < 0) & (reached_second > reached_first))


PANDAS = {  # pandas' nearest expression of each function
    "is_leap_year": lambda s, t: s.dt.is_leap_year,
    "days_in_month": lambda s, t: s.dt.days_in_month,
    "days_in_year": lambda s, t: 365 + s.dt.is_leap_year,
    "weeks_in_year": lambda s, t: (s.dt.to_period("Y").dt.end_time.dt.normalize() - pd.Timedelta(days=3)).dt.isocalendar().week,
    "diff_weeks": lambda s, t: (t - s).dt.days // 7,
    "diff_months": lambda s, t: whole((t.dt.year - s.dt.year) * 12 + t.dt.month - s.dt.month, s.dt.day, t.dt.day),
    "diff_years": lambda s, t: whole(t.dt.year - s.dt.year, s.dt.month * 100 + s.dt.day, t.dt.month * 100 + t.dt.day),
}
PANDAS_NAMES = {"is_leap_year": ".dt.is_leap_year", "days_in_month": ".dt.days_in_month", "days_in_year": "365 + .dt.is_leap_year",
                "weeks_in_year": ".dt.isocalendar().week of 28 Dec", "diff_weeks": "(b - a).dt.days // 7",
                "diff_months": "whole months of .dt.year, .month, .day", "diff_years": "whole years of .dt.year, .month, .day"}


def call(name, x, y):
    function = getattr(dfa, name)
    return (lambda: function(x, y)) if function.nin == 3 else (lambda: function(x))


print(f"ns per element over {N:,} dates; the engine's own beside; x: ours / theirs")
days = a.view("int64")
report("numpy datetime64[D] (the column kernels) against numpy's own arithmetic on the same arrays",
       [(name, call(name, a, b), "np.subtract(b, a)" if getattr(dfa, name).nin == 3 else "np.floor_divide(days, 7)",
         (lambda: np.subtract(b, a)) if getattr(dfa, name).nin == 3 else (lambda: np.floor_divide(days, 7)))
        for name in PANDAS])
for label, x, y in (("numpy datetime64[D]", a, b), ("pandas datetime64[ns]", pa_, pb), ("Arrow date32", arrow_a, arrow_b)):
    report(f"{label} against pandas on datetime64[ns]",
           [(name, call(name, x, y), PANDAS_NAMES[name], lambda f=PANDAS[name]: f(pa_, pb)) for name in PANDAS])
report("Python objects and text against pandas reading them",
       [("days_in_month(datetime.date objects)", call("days_in_month", objects, None), "pd.Series(objects).dt (via to_datetime)",
         lambda: pd.to_datetime(pd.Series(objects)).dt.days_in_month),
        ("days_in_month(ISO strings)", call("days_in_month", texts, None), "pd.to_datetime(strings).dt.days_in_month",
         lambda: pd.to_datetime(pd.Series(texts), format="%Y-%m-%d").dt.days_in_month)])

col_a, col_b = pl.col("a"), pl.col("b")
POLARS = {"is_leap_year": ("dt.is_leap_year()", col_a.dt.is_leap_year()), "one date": ("dt.year()", col_a.dt.year()),
          "two dates": ("dt.year() of b less a's", col_b.dt.year() - col_a.dt.year())}
report("Polars expressions (the column kernels on Date)", [
    (f"dfa.{name}({'b' if name in dfa.DIFFERENCES else ''})",
     lambda f=getattr(col_a.dfa, name), two=name in dfa.DIFFERENCES: frame.select(f(col_b) if two else f()),
     POLARS[key][0], lambda e=POLARS[key][1]: frame.select(e))
    for name in PANDAS for key in [name if name in POLARS else "two dates" if name in dfa.DIFFERENCES else "one date"]])

dfa_dates.arrow.register()
report("pyarrow.compute, registered (the column kernels on date32)", [
    (f"{dfa._ufuncs.entry_names[name].lower()}(a{', b' if name in dfa.DIFFERENCES else ''})",
     lambda e=dfa._ufuncs.entry_names[name].lower(), two=name in dfa.DIFFERENCES: pc.call_function(e, [arrow_a, arrow_b] if two else [arrow_a]),
     *(("pc.years_between(a, b)", lambda: pc.years_between(arrow_a, arrow_b)) if name in dfa.DIFFERENCES else ("pc.year(a)", lambda: pc.year(arrow_a))))
    for name in PANDAS])

ctx = datafusion.SessionContext()
dfa_dates.datafusion.register(ctx)
zeros = np.zeros(N, np.int32)  # the floor of any Python UDF in DataFusion: one that computes nothing
for arguments in (1, 2):
    ctx.register_udf(datafusion.udf(lambda *d: pa.array(zeros[:len(d[0])]), [pa.date32()] * arguments, pa.int32(), "immutable",
                                    name=f"nothing{arguments}"))
ctx.from_arrow(pa.table({"a": arrow_a, "b": arrow_b}), name="t")
sql = lambda query: lambda: ctx.sql(f"SELECT {query} FROM t").collect()
report("DataFusion SQL, registered", [
    *((f"{entry}({arguments})", sql(f"{entry}({arguments})"), f"nothing{arguments.count(',') + 1}({arguments})",
       sql(f"nothing{arguments.count(',') + 1}({arguments})"))
      for name in PANDAS for entry in [dfa._ufuncs.entry_names[name].lower()]
      for arguments in ["a, b" if name in dfa.DIFFERENCES else "a"]),
    ("a Python UDF that computes nothing", sql("nothing1(a)"), "date_part('year', a)", sql("date_part('year', a)")),
])

if os.environ.get("SPARK"):
    import sys
    from pyspark.sql import SparkSession
    from dfa_dates import spark as sdfa
    os.environ["PYSPARK_PYTHON"] = sys.executable
    spark = SparkSession.builder.master("local[2]").config("spark.ui.enabled", "false").getOrCreate()
    sdfa.register(spark)
    spark.range(N).selectExpr("date_add(DATE '1900-01-01', CAST(rand(1) * 73049 AS INT)) AS a",
                              "date_add(DATE '1900-01-01', CAST(rand(2) * 73049 AS INT)) AS b").cache().createOrReplaceTempView("t")
    spark.sql("SELECT count(*) FROM t").collect()
    total = lambda expression: lambda: spark.sql(f"SELECT sum({expression}) FROM t").collect()
    rows = [("qvdate_getdiffmonths(a, b)", total("qvdate_getdiffmonths(a, b)"), "CAST(months_between(b, a) AS INT)",
             total("CAST(months_between(b, a) AS INT)")),
            ("qvdate_isleapyear(a)", total("qvdate_isleapyear(a)"), "year(a)", total("year(a)"))]
    if sdfa.arrow_udf:  # Spark 4.1 on: the floor of an Arrow UDF
        spark.udf.register("nothing", sdfa.arrow_udf(lambda d: pa.array(zeros[:len(d)]), "int"))
        rows += [("an Arrow UDF that computes nothing", total("nothing(a)"), "year(a)", total("year(a)")),
                 ("qvdate_isleapyear(a)", total("qvdate_isleapyear(a)"), "an Arrow UDF that computes nothing", total("nothing(a)"))]
    report("Spark SQL, local[2], DATE columns", rows)
    spark.stop()
