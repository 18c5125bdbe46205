# SPDX-License-Identifier: MIT
"""The seven in `formulas`, which computes workbooks without a spreadsheet, after ``register()``:

    import formulas
    import dfa_dates.formulas
    dfa_dates.formulas.register()
    solution = formulas.ExcelModel().loads("staff.xlsx").finish().calculate()

Under the add-in's names, as a workbook calls them (``=QVDATE_GETDIFFMONTHS(A2,B2,0)``), each
with the add-in's arguments (a difference takes its mode). A date is read as formulas reads one
for its own YEAR, MONTH and DAY: a serial of the 1900 date system floored to its day, or text
as DATEVALUE reads it. What names no day is formulas' own error: a serial before 0 or after
9999-12-31 ``#NUM!``, text that is no date and 29 February 1900 (which the 1900 system counts,
and no calendar has) ``#VALUE!``. An empty cell is 0, the mode is a number (or text that reads
as one), an error passes through, and ranges give arrays, as formulas' own functions do.
"""
import datetime
import functools

from formulas.errors import FoundError
from formulas.functions import Error, get_functions, wrap_ufunc
from formulas.functions.date import xday

import dfa_dates as _dfa

_VALUE = Error.errors["#VALUE!"]


def _serial(value):
    """The add-in's serial of the day formulas reads in a date argument."""
    try:
        day = datetime.date(*(xday(value, n) for n in range(3)))
    except (ValueError, TypeError, AssertionError):  # no day: text, 29 February 1900, "day 0"
        raise FoundError(err=_VALUE) from None
    return float(_dfa.serials(day))


def _mode(value):
    try:
        return float(value)
    except (ValueError, TypeError):
        raise FoundError(err=_VALUE) from None


def _computed(function, *values):
    dates = [_serial(v) for v in values[:2 if function.nin == 3 else 1]]
    result = float(function(*dates, *([_mode(values[2])] if function.nin == 3 else [])))
    return int(result) if result == result else Error.errors["#NUM!"]


def register():
    """Adds the seven to formulas' functions, which every model and parser then calls."""
    functions = get_functions()
    for name, entry in _dfa._ufuncs.entry_names.items():
        function = getattr(_dfa, name)
        functions[entry.upper()] = wrap_ufunc(functools.partial(_computed, function), input_parser=lambda *a: a)
