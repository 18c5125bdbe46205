# SPDX-License-Identifier: MIT
"""The expression namespace ``dfa`` for Polars, registered on import:

    pl.col("hired").dfa.diff_months(pl.col("left"), 1)
    pl.col("hired").dfa.weeks_in_year()

On Date and Datetime columns (a zoned Datetime by its day in its zone, as dt.date() gives it)
and numbers, as spreadsheet serials; results are Int32, null where a date or the mode is null
or a date is outside the add-in's calendar. The functions are elementwise: Polars calls them
once a batch, in group_by, over and the streaming engine alike.
"""
import polars as pl

import dfa_dates as _dfa


@pl.api.register_expr_namespace("dfa")
class DfaNamespace:
    def __init__(self, expr: pl.Expr):
        self._expr = expr

    def _difference(self, function, end, mode):
        if isinstance(mode, pl.Expr):
            fields, modes = {"mode": mode}, lambda s: s.struct.field("mode")
        else:  # one mode for the column, not a column of it
            fields, modes = {}, lambda s: mode
        result = pl.struct(start=self._expr, end=end, **fields).map_batches(
            lambda s: function(s.struct.field("start"), s.struct.field("end"), modes(s)),
            return_dtype=pl.Int32, is_elementwise=True)
        # Named after the first date, as Polars names what an expression's method gives.
        try:
            return result.alias(self._expr.meta.output_name())
        except pl.exceptions.ComputeError:
            return result

    def _one_date(self, function):
        # A function of its own: Polars hands an object that looks like a numpy ufunc (ours
        # does) numpy arrays, which costs a conversion of the batch.
        return self._expr.map_batches(lambda s: function(s), return_dtype=pl.Int32, is_elementwise=True)

    def diff_weeks(self, end: pl.Expr, mode=0) -> pl.Expr:
        return self._difference(_dfa.diff_weeks, end, mode)

    def diff_months(self, end: pl.Expr, mode=0) -> pl.Expr:
        return self._difference(_dfa.diff_months, end, mode)

    def diff_years(self, end: pl.Expr, mode=0) -> pl.Expr:
        return self._difference(_dfa.diff_years, end, mode)

    def is_leap_year(self) -> pl.Expr:
        return self._one_date(_dfa.is_leap_year)

    def days_in_month(self) -> pl.Expr:
        return self._one_date(_dfa.days_in_month)

    def days_in_year(self) -> pl.Expr:
        return self._one_date(_dfa.days_in_year)

    def weeks_in_year(self) -> pl.Expr:
        return self._one_date(_dfa.weeks_in_year)
