# SPDX-License-Identifier: MIT
"""The seven on Arrow columns, as pyarrow.compute functions after ``register()``:

    import dfa_dates.arrow
    dfa_dates.arrow.register()
    pc.call_function("qvdate_getdiffmonths", [hired, left])
    pc.call_function("qvdate_getdiffmonths_mode", [hired, left, pa.scalar(1.0)])
    dataset.to_table(columns={"months": pc.Expression._call("qvdate_getdiffmonths", [pc.field("hired"), pc.field("left")])})

Each takes date32 columns (a zoned timestamp becomes its local day by ``pc.cast(x, pa.date32())``).
An Arrow function has one arity, so a difference by the add-in's name takes two dates (mode 0)
and, with ``_mode`` after its name, two dates and a float64 mode, as in DataFusion; another
count of arguments is Arrow's own error naming the function. Results are int32, null where a
date or the mode is null or a date is outside the add-in's calendar. ``compute`` gives the same
for any Arrow date or timestamp column.
"""
import numpy as np
import pyarrow as pa
import pyarrow.compute as pc

import dfa_dates as _dfa


def compute(function, *values, length=None):
    """A function of the package (such as ``dfa_dates.diff_months``) on Arrow arrays, chunked
    arrays or scalars, as an int32 array (of ``length``, where every value is a scalar)."""
    if function.nin == 3 and len(values) == 3 and isinstance(values[2], pa.Scalar):
        values = (*values[:2], values[2].as_py())  # one mode for the column
    counted = function._on_day_counts(values if function.nin == 1 or len(values) == 3 else (*values, 0))
    if counted is not None and (length is None or len(counted[0]) == length):
        return _dfa._arrow_of_int32(*counted)
    arrays = [pa.array([v.as_py()], v.type) if isinstance(v, pa.Scalar) else v for v in values]
    if function.nin == 3 and len(arrays) == 2:
        arrays.append(pa.array([0.0]))  # a mode left out is 0
    result = function.ufunc(*function.operands(arrays))
    if length is not None:
        result = np.broadcast_to(result, (length,))
    return _dfa._int32_arrow(result)


def register(registry=None):
    """Registers the seven under the add-in's entry names, lower case (as SQL engines name them),
    and the differences with a mode under those names and ``_mode``, in pyarrow's function
    registry; a function registered already is left as it is."""
    registered = set(pc.list_functions()) if registry is None else set()
    for name, entry in _dfa._ufuncs.entry_names.items():
        function = getattr(_dfa, name)
        doc = {"summary": function.ufunc.__doc__.split(".")[0], "description": function.ufunc.__doc__}
        if function.nin == 1:
            forms = {entry.lower(): {"date": pa.date32()}}
        else:
            dates = {"start": pa.date32(), "end": pa.date32()}
            forms = {entry.lower(): dates, f"{entry.lower()}_mode": {**dates, "mode": pa.float64()}}
        for form, arguments in forms.items():
            if form in registered:
                continue

            def kernel(context, *values, function=function):
                return compute(function, *values, length=context.batch_length)
            pc.register_scalar_function(kernel, form, doc, arguments, pa.int32(), func_registry=registry)
