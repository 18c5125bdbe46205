# SPDX-License-Identifier: MIT
"""The seven as a pycel plugin, for workbooks computed without a spreadsheet:

    from pycel import ExcelCompiler
    ExcelCompiler(filename="staff.xlsx", plugins=["dfa_dates.pycel"]).evaluate("Sheet1!C2")

Under the add-in's names, as a workbook calls them (``=QVDATE_GETDIFFMONTHS(A2,B2,0)``), each
with the add-in's arguments (a difference takes its mode). A date is read as pycel reads one for
its own YEAR, MONTH and DAY: a number (or text that reads as one), a serial of the 1900 date
system floored to its day. What names no day is an error value: a serial before 0 or after
9999-12-31 ``#NUM!``, other text and 29 February 1900 (which the 1900 system counts, and no
calendar has) ``#VALUE!``. Errors pass through, and ranges in array formulas give arrays.
"""
import datetime
import math

from pycel.excelutil import NUM_ERROR, VALUE_ERROR
from pycel.lib.date_time import date_from_int
from pycel.lib.function_helpers import excel_helper

import dfa_dates as _dfa

_LAST_SERIAL = 2958465  # 9999-12-31


def _serial(value):
    """The add-in's serial of the day pycel reads in a date argument, or pycel's error."""
    day = math.floor(value)
    if not 0 <= day <= _LAST_SERIAL:
        return NUM_ERROR
    try:
        return float(_dfa.serials(datetime.date(*date_from_int(day))))
    except ValueError:  # 29 February 1900, "day 0"
        return VALUE_ERROR


def _plugin(function):
    """The pycel function of one of the package's functions."""
    def computed(*values):
        dates = [_serial(v) for v in values[:2 if function.nin == 3 else 1]]
        error = next((d for d in dates if isinstance(d, str)), None)
        if error:
            return error
        result = float(function(*dates, *values[2:]))
        return int(result) if result == result else NUM_ERROR
    return computed


def _define(entry, function):
    run = _plugin(function)
    if function.nin == 3:
        def defined(start, end, mode):
            return run(start, end, mode)
    else:
        def defined(date):
            return run(date)
    defined.__name__ = defined.__qualname__ = entry.lower()
    defined.__doc__ = function.__doc__
    return excel_helper(cse_params=-1, number_params=-1, err_str_params=-1)(defined)


for _name, _entry in _dfa._ufuncs.entry_names.items():
    globals()[_entry.lower()] = _define(_entry, getattr(_dfa, _name))
__all__ = [entry.lower() for entry in _dfa._ufuncs.entry_names.values()]
