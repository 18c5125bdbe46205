# SPDX-License-Identifier: MIT
"""What an element costs in Python: each function of dfa_dates over 10,000,000 dates of
1900-2100 (datetime64[D], and serials for the ufuncs alone), beside what a Python user writes
today for the nearest thing: pandas' .dt accessors and a vectorised numpy whole-months
expression. The fastest of REPEAT runs (default 5), in ns per element."""
import os
import time

import numpy as np
import pandas as pd

import dfa_dates as dfa
from dfa_dates import _ufuncs

N, REPEAT = 10_000_000, int(os.environ.get("REPEAT", 5))
rng = np.random.default_rng(1)
a = np.datetime64("1900-01-01") + rng.integers(0, 73049, N)
b = np.datetime64("1900-01-01") + rng.integers(0, 73049, N)
sa, sb = dfa.serials(a), dfa.serials(b)
pa, pb = pd.Series(a.astype("datetime64[s]")), pd.Series(b.astype("datetime64[s]"))


def numpy_whole_months(x, y):
    """Whole months the vectorised numpy way: calendar months, less one where the day is not reached."""
    mx, my = x.astype("datetime64[M]"), y.astype("datetime64[M]")
    months = (my - mx).astype(int)
    dx, dy = (x - mx).astype(int), (y - my).astype(int)
    return months - ((months > 0) & (dy < dx)) + ((months < 0) & (dy > dx))


CASES = [
    ("is_leap_year(datetime64)", lambda: dfa.is_leap_year(a)),
    ("is_leap_year(serials), the ufunc", lambda: _ufuncs.is_leap_year(sa)),
    ("pandas .dt.is_leap_year", lambda: pa.dt.is_leap_year),
    ("days_in_month(datetime64)", lambda: dfa.days_in_month(a)),
    ("days_in_month(serials), the ufunc", lambda: _ufuncs.days_in_month(sa)),
    ("pandas .dt.days_in_month", lambda: pa.dt.days_in_month),
    ("weeks_in_year(datetime64)", lambda: dfa.weeks_in_year(a)),
    ("weeks_in_year(serials), the ufunc", lambda: _ufuncs.weeks_in_year(sa)),
    ("pandas .dt.isocalendar().week", lambda: pa.dt.isocalendar().week),
    ("diff_months(datetime64)", lambda: dfa.diff_months(a, b)),
    ("diff_months(serials), the ufunc", lambda: _ufuncs.diff_months(sa, sb, 0.0)),
    ("numpy whole months", lambda: numpy_whole_months(a, b)),
    ("diff_weeks(datetime64)", lambda: dfa.diff_weeks(a, b)),
    ("diff_years(datetime64, ISO)", lambda: dfa.diff_years(a, b, 1)),
]
print(f"ns per element over {N:,} elements")
for name, run in CASES:
    best = float("inf")
    for _ in range(REPEAT):
        start = time.perf_counter_ns()
        run()
        best = min(best, time.perf_counter_ns() - start)
    print(f"  {name:36} {best / N:7.2f}")
