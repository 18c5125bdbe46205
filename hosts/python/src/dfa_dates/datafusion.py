# SPDX-License-Identifier: MIT
"""The seven in DataFusion SQL, after ``register(ctx)`` on a ``SessionContext``:

    SELECT qvdate_getdiffmonths(hired, left), qvdate_getdiffmonths_mode(hired, left, 1),
           qvdate_isleapyear(hired) FROM staff

under the add-in's entry names (SQL names ignore case). A DataFusion function has one
signature, so a difference by the add-in's name takes two dates (mode 0) and, with ``_mode``
after its name, two dates and a mode. Dates are DATE (date32): cast a timestamp with
``CAST(x AS DATE)``; another type is refused when the query is planned. Results are INT, null
where a date or the mode is null or a date is outside the add-in's calendar.
"""
import pyarrow as pa
from datafusion import udf

import dfa_dates as _dfa
from dfa_dates.arrow import compute


def register(ctx):
    """Registers the seven (and the differences' three-argument forms) in ``ctx``."""
    for name, entry in _dfa._ufuncs.entry_names.items():
        function = getattr(_dfa, name)
        if function.nin == 1:
            ctx.register_udf(udf(lambda date, f=function: compute(f, date), [pa.date32()], pa.int32(), "immutable", name=entry.lower()))
            continue
        ctx.register_udf(udf(lambda a, b, f=function: compute(f, a, b, pa.scalar(0.0)), [pa.date32(), pa.date32()], pa.int32(),
                             "immutable", name=entry.lower()))
        ctx.register_udf(udf(lambda a, b, m, f=function: compute(f, a, b, m), [pa.date32(), pa.date32(), pa.float64()], pa.int32(),
                             "immutable", name=f"{entry.lower()}_mode"))
