# SPDX-License-Identifier: MIT
# The case table (DFA_CASE_TABLE) in the DuckDB of this Python environment, whichever version
# it is: the extension file of DuckDB's platform (DFA_DUCKDB_DIR/<platform>/, else the main one),
# every row with DATE and with TIMESTAMP arguments. Prints the version and the rows run.
import csv
import os
import sys

import duckdb

db = duckdb.connect(config={"allow_unsigned_extensions": "true"})
[(platform,)] = db.execute("PRAGMA platform").fetchall()
folder = os.environ["DFA_DUCKDB_DIR"]
own = os.path.join(folder, platform, "dfa.duckdb_extension")
db.execute(f"LOAD '{own if os.path.exists(own) else os.path.join(folder, 'dfa.duckdb_extension')}'")


def date(field, kind):
    """A date of the table as DuckDB SQL: make_date counts years as the table does (0 is 1 BC)."""
    if field in ("NULL", "infinity", "-infinity"):
        return f"'{field}'::{kind}" if field != "NULL" else f"NULL::{kind}"
    y, m, d = field.rsplit("-", 2)
    return f"make_date({int(y)}, {int(m)}, {int(d)})" if kind == "DATE" else f"make_timestamp({int(y)}, {int(m)}, {int(d)}, 23, 59, 59.5)"


with open(os.environ["DFA_CASE_TABLE"]) as f:
    rows = [r for r in csv.DictReader(f) if "text:" not in str(r.values())]
ran = 0
for kind in ("DATE", "TIMESTAMP"):
    for r in rows:
        args = [date(r["first"], kind)] + ([date(r["second"], kind)] if r["second"] else [])
        args += ["NULL::DOUBLE" if r["mode"] == "NULL" else f"{r['mode']}::DOUBLE"] if r["mode"] else []
        call = f"{r['function']}({', '.join(args)})"
        [(got,)] = db.execute(f"SELECT {call}").fetchall()
        if ("NULL" if got is None else str(got)) != r["result"]:
            sys.exit(f"DuckDB {duckdb.__version__} ({platform}): {call} is {got}, not {r['result']}")
        ran += 1
print(f"DuckDB {duckdb.__version__} ({platform}): {ran} of {2 * len(rows)} rows of the case table")
