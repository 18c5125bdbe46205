// SPDX-License-Identifier: MIT
// The SQLite extension's reader of dates, driven with any bytes as text (in a buffer of exactly
// their length, so that a read past the value is the sanitizers' finding) and any double as a
// Julian day number. Wherever it finds a day of years 0 to 9999, SQLite's own reading of the same
// value, date(julianday(value)), names that day; and every Julian day number that SQLite reads
// as such a day, the reader reads as the same day.
#include <FuzzedDataProvider.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "addin_serial.h"
#include "sqlite_date.h"

namespace {

sqlite3_stmt* Statement(const char* sql) {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        if (sqlite3_open(":memory:", &opened) != SQLITE_OK) std::abort();
        return opened;
    }();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) std::abort();
    return statement;
}

// SQLite's date of the value bound by bind, or empty for NULL.
template <typename Bind>
std::string SqliteDate(sqlite3_stmt* statement, Bind bind) {
    sqlite3_reset(statement);
    bind(statement);
    std::string date;
    if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
        date = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    return date;
}

// The ISO text of a day of years 0 to 9999, or empty for any other day.
std::string Iso(std::optional<int64_t> days) {
    using namespace std::chrono;
    // std::chrono's years end at 32767: beyond 9999 the day is of no interest here anyway.
    if (!days || *days < dfa_host::kFirstAddinDays || *days > dfa_host::DaysFromCivil(9999, 12, 31)) return {};
    const year_month_day date{sys_days{std::chrono::days{*days}}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int{date.year()}, unsigned{date.month()}, unsigned{date.day()});
    return text;
}

void Fail(const std::string& what, const std::string& ours, const std::string& sqlite) {
    std::fprintf(stderr, "%s: the reader gives %s, SQLite %s\n", what.c_str(), ours.c_str(), sqlite.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sqlite3_stmt* const fromText = Statement("SELECT date(julianday(?1))");
    static sqlite3_stmt* const fromNumber = Statement("SELECT date(?1)");
    FuzzedDataProvider in(data, size);
    const double julianDay = in.ConsumeFloatingPoint<double>();
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const auto text = std::make_unique<char[]>(rest.size());
    std::copy(rest.begin(), rest.end(), text.get());

    const std::string ours = Iso(dfa_sqlite::DaysOfDateText({text.get(), rest.size()}));
    if (!ours.empty()) {
        const std::string sqlite = SqliteDate(fromText, [&](sqlite3_stmt* s) {
            sqlite3_bind_text(s, 1, text.get(), static_cast<int>(rest.size()), SQLITE_TRANSIENT);
        });
        if (ours != sqlite) Fail("text '" + rest + "'", ours, sqlite);
    }
    const std::string oursNumber = Iso(dfa_sqlite::DaysOfJulianDay(julianDay));
    const std::string sqliteNumber = SqliteDate(fromNumber, [&](sqlite3_stmt* s) { sqlite3_bind_double(s, 1, julianDay); });
    if (oursNumber != (sqliteNumber.starts_with('-') ? "" : sqliteNumber))
        Fail("Julian day " + std::to_string(julianDay), oursNumber, sqliteNumber);
    return 0;
}
