# SPDX-License-Identifier: MIT
# The JVM host in Spark SQL beside Spark's own months_between, per row over 5 million cached rows
# of dates in one run (local[2]): bench/jvm-bench.sh runs it with the jar.
import sys
import time

from pyspark.sql import SparkSession

spark = (SparkSession.builder.master("local[2]").config("spark.ui.enabled", "false").config("spark.jars", sys.argv[1])
         .config("spark.driver.memory", "4g").getOrCreate())
spark._jvm.io.github.dfadates.DfaSpark.register(spark._jsparkSession)
rows = 5_000_000
spark.sql(f"""CREATE OR REPLACE TEMP VIEW pairs AS SELECT date_add(DATE '1900-01-01', CAST(rand(1) * 73000 AS INT)) AS a,
              date_add(DATE '1900-01-01', CAST(rand(2) * 73000 AS INT)) AS b FROM range({rows})""")
spark.sql("CACHE TABLE pairs")


def per_row(expression):
    best = float("inf")
    for _ in range(4):
        start = time.perf_counter()
        spark.sql(f"SELECT sum({expression}) FROM pairs").collect()
        best = min(best, time.perf_counter() - start)
    return best / rows * 1e9


peer = per_row("CAST(months_between(b, a) AS INT)")
ours = per_row("qvdate_getdiffmonths(a, b)")
leap = per_row("qvdate_isleapyear(a)")
print(f"ns a row: qvdate_getdiffmonths(a, b) {ours:.0f}, CAST(months_between(b, a) AS INT) {peer:.0f} ({ours / peer:.2f}x), "
      f"qvdate_isleapyear(a) {leap:.0f}")
spark.stop()
