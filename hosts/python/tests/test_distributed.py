# SPDX-License-Identifier: MIT
# Where data outgrows one machine: Dask arrays and DataFrames through the ufuncs (lazily), on a
# local cluster of two workers for the DataFrames, Spark in local mode through the
# Column functions and Spark SQL; each on 100,000 rows against the add-in, and the typed table
# in Spark SQL.
import csv
import os
import sys

import numpy as np
import pandas as pd
import pytest

import dfa_dates as dfa
from conftest import DIFFERENCES, ONE_DATE


def test_dask_arrays_stay_lazy(wide_dates):
    import dask.array as da
    first, second, expected = wide_dates
    a, b = da.from_array(first, chunks=25000), da.from_array(second, chunks=25000)
    months = dfa.diff_months(a, b, 1)
    assert isinstance(months, da.Array)
    np.testing.assert_array_equal(months.compute(), expected[("diff_months", 1)])
    np.testing.assert_array_equal(dfa.weeks_in_year(a).compute(), expected["weeks_in_year"])


def test_dask_dataframes_on_a_local_cluster(wide_dates):
    import dask
    import dask.dataframe as dd
    from distributed import Client, LocalCluster
    first, second, expected = wide_dates
    # Second resolution, which holds the whole calendar (nanoseconds end in 2262).
    frame = pd.DataFrame({"a": first.astype("datetime64[s]"), "b": second.astype("datetime64[s]")})
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True) as cluster, Client(cluster):
        ddf = dd.from_pandas(frame, npartitions=4)
        columns = {f: getattr(dfa, f)(ddf.a) for f in ONE_DATE} | {f: getattr(dfa, f)(ddf.a, ddf.b, 1) for f in DIFFERENCES}
        assert all(isinstance(c, dd.Series) for c in columns.values())
        [result] = dask.compute(columns)
    assert len(result["is_leap_year"]) == 100000
    for f in ONE_DATE:
        np.testing.assert_array_equal(result[f].to_numpy(), expected[f])
    for f in DIFFERENCES:
        np.testing.assert_array_equal(result[f].to_numpy(), expected[(f, 1)])


@pytest.fixture(scope="module")
def spark():
    from pyspark.sql import SparkSession
    os.environ["PYSPARK_PYTHON"] = sys.executable  # the workers run this environment's Python
    # A JVM in a zone that skipped a day (2011-12-30), which no reading may depend on.
    os.environ["PYSPARK_SUBMIT_ARGS"] = "--driver-java-options -Duser.timezone=Pacific/Apia pyspark-shell"
    session = SparkSession.builder.master("local[2]").config("spark.ui.enabled", "false") \
        .config("spark.sql.session.timeZone", "UTC").getOrCreate()
    yield session
    session.stop()


def test_spark_column_functions_in_local_mode(spark, recent_dates):
    from dfa_dates import spark as sdfa
    first, second, expected = recent_dates
    rows = [(i, a.item(), b.item(), 1.9) for i, (a, b) in enumerate(zip(first, second))]
    df = spark.createDataFrame(rows, "i long, a date, b date, mode double")
    out = df.select("i", *[getattr(sdfa, f)("a") for f in ONE_DATE],
                    *[getattr(sdfa, f)("a", "b", "mode") for f in DIFFERENCES]).toPandas().sort_values("i")
    # Spark SQL, under the add-in's names, with two arguments and three.
    sdfa.register(spark)
    df.createOrReplaceTempView("pairs")
    entry = dfa._ufuncs.entry_names
    sql = spark.sql("SELECT i, " + ", ".join([f"{entry[f]}(a) AS {f}" for f in ONE_DATE] +
                                             [f"{entry[f]}(a, b, mode) AS {f}" for f in DIFFERENCES]) +
                    " FROM pairs").toPandas().sort_values("i")
    [example] = spark.sql("SELECT qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28'),"
                          " QvDate_GetDiffMonths(DATE '2005-01-31', DATE '2005-02-28', 1.9)").collect()
    assert tuple(example) == (0, 1)
    for frame in (out, sql):
        assert len(frame) == 100000
        for f in ONE_DATE:
            np.testing.assert_array_equal(frame[f].to_numpy(dtype=float), expected[f])
        for f in DIFFERENCES:
            np.testing.assert_array_equal(frame[f].to_numpy(dtype=float), expected[(f, 1)])


LITERAL = {"date": "DATE '{}'", "timestamp": "TIMESTAMP_NTZ '{}'", "timestamptz": "TIMESTAMP '{}'", "text": "'{}'",
           "null": "CAST(NULL AS DATE){}"}


def test_the_typed_table_in_spark(spark):
    """Every row through the Column functions, in a session of its zone (a timestamptz is Spark's
    TIMESTAMP, a timestamp its TIMESTAMP_NTZ); and in SQL every row but the TIMESTAMPs, which SQL
    refuses."""
    from pyspark.sql import functions as F
    from dfa_dates import spark as sdfa
    sdfa.register(spark)
    with open(os.environ["DFA_TYPED_TABLE"]) as f:
        rows = list(csv.DictReader(f))
    names = {e: n for n, e in dfa._ufuncs.entry_names.items()}
    ran = {"columns": 0, "sql": 0}
    try:
        for r in rows:
            spark.conf.set("spark.sql.session.timeZone", r["zone"] or "UTC")
            dates = [LITERAL[kind].format(value) for kind, _, value in (x.partition(":") for x in (r["first"], r["second"]) if x)]
            mode = [] if r["mode"] == "" else ["CAST(NULL AS DOUBLE)" if r["mode"] == "NULL" else f"CAST('{r['mode']}' AS DOUBLE)"]
            column = getattr(sdfa, names[r["function"]])(*[F.expr(x) for x in dates + mode])
            sql = f"SELECT {r['function']}({', '.join(dates + mode)})"
            for way, run in (("columns", lambda: spark.range(1).select(column).collect()[0][0]),
                             ("sql", lambda: spark.sql(sql).collect()[0][0])):
                # SQL refuses a TIMESTAMP, and before Spark 4.1 a TIMESTAMP_NTZ too, whose pandas
                # conversion holds years 1678 to 2261 only.
                timestamp = "timestamptz:" in str(r) or (sdfa.arrow_udf is None and "timestamp:" in str(r))
                beyond = sdfa.arrow_udf is None and any(x.startswith("timestamp") and not "1678" <= x.partition(":")[2][:4] <= "2261"
                                                         for x in (r["first"], r["second"]))
                if beyond:
                    with pytest.raises(Exception, match="Out of bounds"):
                        run()
                elif r["result"] == "refused" or (way == "sql" and timestamp):
                    with pytest.raises(Exception, match=r"dfa_dates: .*(is not a date|numeric text|to_date)"):
                        run()
                else:
                    assert run() == (None if r["result"] == "NULL" else int(r["result"])), (way, r)
                ran[way] += 1
    finally:
        spark.conf.set("spark.sql.session.timeZone", "UTC")
    assert ran == {"columns": len(rows), "sql": len(rows)}


def test_spark_gives_the_day_spark_gives(spark):
    """DATEs of every day of years -5 to 1, 1580 to 1585 and 2011 to 2012 (the JVM's zone skipped
    2011-12-30) and of random days to 9999, and
    TIMESTAMPs within 16 hours of the first moment of a month of 1800 to 2200 (where a day's
    shift changes a month) in five session zones: each function of a value gives the package's
    answer for Spark's own day of it (unix_date, to_date)."""
    from pyspark.sql import functions as F
    from dfa_dates import spark as sdfa
    rng = np.random.default_rng(34)
    days = np.concatenate([np.arange("-005-01-01", "0002-01-01", dtype="datetime64[D]").astype("int64"),
                           np.arange("1580-01-01", "1586-01-01", dtype="datetime64[D]").astype("int64"),
                           np.arange("2011-01-01", "2013-01-01", dtype="datetime64[D]").astype("int64"),
                           rng.integers(-719162, 2932896, 3000)])
    if sdfa.arrow_udf is None:  # before 4.1 Spark hands a UDF datetime.date, which starts at year 1
        with pytest.raises(Exception, match="year -5 is out of range"):
            spark.range(1).select(sdfa.is_leap_year(F.expr("DATE '-0005-01-01'"))).collect()
        days = days[days >= np.datetime64("0001-01-01").astype("int64")]
    months = np.arange("1800-01", "2200-01", dtype="datetime64[M]")
    instants = (rng.choice(months, 3000).astype("datetime64[s]").astype("int64") + rng.integers(-16 * 3600, 16 * 3600, 3000))
    frame = spark.createDataFrame(pd.DataFrame({"n": days.astype("int32")})).select(F.date_from_unix_date("n").alias("d"))
    moments = spark.createDataFrame(pd.DataFrame({"s": instants})).select(F.timestamp_seconds("s").alias("t"))
    try:
        for zone in ["UTC", "Europe/Berlin", "America/New_York", "Pacific/Chatham", "Pacific/Apia"]:
            spark.conf.set("spark.sql.session.timeZone", zone)
            for data, value in ((frame, "d"), (moments, "t")):
                out = data.select(F.unix_date(F.to_date(value)).alias("day"),
                                  *[getattr(sdfa, f)(value).alias(f) for f in ONE_DATE]).toPandas()
                counts = out["day"].to_numpy(dtype="float64")
                spark_days = np.where(np.isnan(counts), np.iinfo(np.int64).min, np.nan_to_num(counts)).astype("int64").view("datetime64[D]")
                for f in ONE_DATE:
                    np.testing.assert_array_equal(out[f].to_numpy(dtype=float), getattr(dfa, f)(spark_days), err_msg=f"{zone} {value} {f}")
    finally:
        spark.conf.set("spark.sql.session.timeZone", "UTC")
