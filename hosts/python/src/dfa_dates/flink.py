# SPDX-License-Identifier: MIT
"""The seven in Flink SQL from PyFlink, after ``register(t_env, jar)``:

    from pyflink.table import EnvironmentSettings, TableEnvironment
    import dfa_dates.flink

    t_env = TableEnvironment.create(EnvironmentSettings.in_streaming_mode())
    dfa_dates.flink.register(t_env, "dfa-dates-jvm-1.1.0.jar")
    t_env.execute_sql("SELECT qvdate_getdiffmonths(hired, left_at, 1) FROM staff")

They are the JVM host's Flink functions, from its jar, under the add-in's entry names, and run
in Flink's JVM, not in Python: a DATE is its day, a TIMESTAMP its date, a TIMESTAMP_LTZ its day in
the session time zone (``table.local-time-zone``), as ``CAST(x AS DATE)`` gives it; the mode of
a difference is any number, optional; another type or count of arguments is Flink's validation
error naming the function. Results are INT, null where a date or the mode is null or a date is
outside the add-in's calendar.
"""
import pathlib

import dfa_dates as _dfa

_CLASS = "io.github.dfadates.DfaFlink${}"


def register(t_env, jar=None):
    """Registers the seven as temporary system functions of ``t_env``. ``jar`` is the path of
    the JVM host's jar (``dfa-dates-jvm-<version>.jar``), added to the environment's
    ``pipeline.jars``; leave it out where that holds the jar already."""
    if jar is not None:
        path = pathlib.Path(jar)
        if not path.is_file():
            raise FileNotFoundError(f"dfa_dates.flink: no jar at {jar}")
        config = t_env.get_config()
        jars = [j for j in (config.get("pipeline.jars", "") or "").split(";") if j]
        if path.resolve().as_uri() not in jars:
            config.set("pipeline.jars", ";".join([*jars, path.resolve().as_uri()]))
    for entry in _dfa._ufuncs.entry_names.values():
        t_env.create_java_temporary_system_function(entry, _CLASS.format(entry))
