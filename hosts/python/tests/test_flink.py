# SPDX-License-Identifier: MIT
# PyFlink: the JVM host's Flink functions (its jar, DFA_JVM_JAR) registered by one call, on the
# case table in Flink's local cluster. In an environment of its own: apache-flink pins older
# pandas and pyarrow than the other tests'.
import os

import numpy as np
import pytest

from conftest import case_rows

pytest.importorskip("pyflink")
from pyflink.common import Configuration  # noqa: E402
from pyflink.table import EnvironmentSettings, TableEnvironment  # noqa: E402

import dfa_dates.flink  # noqa: E402


def test_the_case_table_through_the_registered_functions():
    # One task, and network buffers enough for a batch job's exchanges in the local cluster.
    settings = Configuration()
    for key, value in {"parallelism.default": "1", "taskmanager.memory.network.min": "256mb", "taskmanager.memory.network.max": "256mb"}.items():
        settings.set_string(key, value)
    t_env = TableEnvironment.create(EnvironmentSettings.new_instance().in_batch_mode().with_configuration(settings).build())
    dfa_dates.flink.register(t_env, os.environ["DFA_JVM_JAR"])
    rows = case_rows()
    # Days from 1970-01-01, made dates by Flink (its literals stop at year 9999).
    day = lambda text: "CAST(NULL AS INT)" if text in ("", "NULL") else str(np.datetime64(text, "D").astype(np.int64))
    mode = lambda text: "CAST(NULL AS DOUBLE)" if text == "NULL" else f"CAST({text or 0} AS DOUBLE)"
    values = ", ".join(f"({i}, '{r['function']}', {day(r['first'])}, {day(r['second'])}, {mode(r['mode'])})" for i, r in enumerate(rows))
    calls = "".join(f" WHEN '{e}' THEN {e}(a{', b, m' if 'Diff' in e else ''})" for e in {r["function"] for r in rows})
    date = "TIMESTAMPADD(DAY, {0}, DATE '1970-01-01') AS {0}"
    sql = (f"SELECT i, CASE f{calls} END FROM (SELECT i, f, {date.format('a')}, {date.format('b')}, m "
           f"FROM (VALUES {values}) AS t(i, f, a, b, m))")
    with t_env.execute_sql(sql).collect() as results:
        got = {row[0]: row[1] for row in results}
    assert len(rows) > 150 and len({r["function"] for r in rows}) == 7
    for i, r in enumerate(rows):
        assert got[i] == (None if r["result"] == "NULL" else int(r["result"])), r


def test_a_jar_that_is_not_there_is_named():
    t_env = TableEnvironment.create(EnvironmentSettings.in_batch_mode())
    with pytest.raises(FileNotFoundError, match="no-such.jar"):
        dfa_dates.flink.register(t_env, "no-such.jar")
