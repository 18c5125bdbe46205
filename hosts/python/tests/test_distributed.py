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


def test_the_typed_table_in_spark_sql(spark):
    """Each zone's rows in one query, in a session of that time zone; a timestamptz is Spark's
    TIMESTAMP, a timestamp its TIMESTAMP_NTZ."""
    from dfa_dates import spark as sdfa
    sdfa.register(spark)
    with open(os.environ["DFA_TYPED_TABLE"]) as f:
        rows = [r for r in csv.DictReader(f) if r["result"] != "refused"]
    literal = {"date": "DATE '{}'", "timestamp": "TIMESTAMP_NTZ '{}'", "timestamptz": "TIMESTAMP '{}'", "text": "'{}'",
               "null": "CAST(NULL AS DATE){}"}
    try:
        for zone in sorted({r["zone"] for r in rows}):
            spark.conf.set("spark.sql.session.timeZone", zone or "UTC")
            group = [r for r in rows if r["zone"] == zone]
            calls = []
            for r in group:
                dates = [literal[kind].format(value) for kind, _, value in (x.partition(":") for x in (r["first"], r["second"]) if x)]
                mode = [] if r["mode"] == "" else [f"CAST('{r['mode']}' AS DOUBLE)" if r["mode"] != "NULL" else "CAST(NULL AS DOUBLE)"]
                calls.append(f"{r['function']}({', '.join(dates + mode)})")
            [got] = spark.sql("SELECT " + ", ".join(calls)).collect()
            assert list(got) == [None if r["result"] == "NULL" else int(r["result"]) for r in group], zone
    finally:
        spark.conf.set("spark.sql.session.timeZone", "UTC")
