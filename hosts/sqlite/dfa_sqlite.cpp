// SPDX-License-Identifier: MIT
// The add-in's seven functions in SQLite, as a loadable extension: `.load /path/to/dfa` in the
// shell, load_extension() from a program. The add-in is compiled in and called directly. Dates
// are TEXT or Julian day numbers, read as SQLite's date functions read them (sqlite_date.h) and
// turned into the add-in's serials through its own calendar; NULL, and whatever is not a date in
// that calendar, give NULL. The differences take 2 or 3 arguments: a missing mode is 0.
#include <sqlite3ext.h>

#include <optional>

#include "addin_serial.h"
#include "dfa.h"

SQLITE_EXTENSION_INIT1
// After SQLite's table of functions is declared, which its reading of a value calls through.
#include "sqlite_value_day.h"

namespace {

// The serial of a value, or nothing; false where the value must be refused with an error.
bool Serial(sqlite3_context* context, sqlite3_value* value, std::optional<double>& serial) {
    const dfa_sqlite::ValueDay day = dfa_sqlite::DayOfValue(value);
    if (day.kind == dfa_sqlite::ValueDay::kClock) {
        // A deterministic function cannot read the clock: its answer could be kept in an index.
        sqlite3_result_error(context, "dfa: 'now' is not a fixed date; pass date('now')", -1);
        return false;
    }
    serial = day.kind == dfa_sqlite::ValueDay::kDay ? dfa_host::AddinSerialOfDays(day.days) : std::nullopt;
    return true;
}

// The add-in's results are whole numbers well within int for every date of its calendar.
void Result(sqlite3_context* context, double result) { sqlite3_result_int64(context, static_cast<sqlite3_int64>(result)); }

template <dfa_DateFunction_fn kFunction>
void OneDate(sqlite3_context* context, int, sqlite3_value** argv) {
    std::optional<double> date;
    if (!Serial(context, argv[0], date)) return;
    if (!date) return sqlite3_result_null(context);
    double result = 0;
    kFunction(&result, &*date);
    Result(context, result);
}

// The mode is read as a number (as the add-in reads it: truncated, 1 is ISO 8601); NULL is NULL
// (SQLite stores a NaN as NULL).
template <dfa_DiffFunction_fn kFunction>
void Difference(sqlite3_context* context, int argc, sqlite3_value** argv) {
    std::optional<double> first, second;
    if (!Serial(context, argv[0], first) || !Serial(context, argv[1], second)) return;
    const double mode = argc == 3 ? sqlite3_value_double(argv[2]) : 0.0;
    if (!first || !second || (argc == 3 && sqlite3_value_type(argv[2]) == SQLITE_NULL)) return sqlite3_result_null(context);
    double result = 0;
    kFunction(&result, &*first, &*second, &mode);
    Result(context, result);
}

struct Function {
    const char* name;  // the add-in's entry name; SQL ignores its case
    int minArgs, maxArgs;
    void (*call)(sqlite3_context*, int, sqlite3_value**);
};

#define DFA_KIND_DIFFERENCE 2, 3, Difference
#define DFA_KIND_DATE 1, 1, OneDate
constexpr Function kFunctions[] = {
#define DFA_CATALOG_ENTRY(entry, kind, ...) {#entry, DFA_KIND_##kind<entry>},
#include "function_catalog.def"
#undef DFA_CATALOG_ENTRY
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int sqlite3_dfa_init(sqlite3* db, char**,
                                                                       const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    uint16_t count = 0;
    GetFunctionCount(&count);  // the add-in's handshake, which sets its null date
    for (const Function& f : kFunctions)
        for (int args = f.minArgs; args <= f.maxArgs; ++args)
            if (const int rc = sqlite3_create_function(db, f.name, args, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                                       nullptr, f.call, nullptr, nullptr);
                rc != SQLITE_OK)
                return rc;
    return SQLITE_OK;
}
