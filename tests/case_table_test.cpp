// SPDX-License-Identifier: MIT
// The case table that every engine's host runs (sql/cases.csv: function, first date, second
// date, mode, result), here through the add-in itself and through the SQLite extension. Dates
// are ISO dates of any year, NULL, infinity or -infinity; "text:" dates are SQLite text alone.
// An empty mode is a call without one; a result is the integer a cell shows, or NULL.
#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "loaded_addin.h"

namespace {

using namespace std::chrono;

struct Case {
    std::string function, first, second, mode, result;
    bool sqliteOnly() const { return first.starts_with("text:") || second.starts_with("text:"); }
    std::string text() const { return function + "(" + first + ", " + second + ", " + mode + ")"; }
};

std::vector<Case> ReadCases() {
    std::ifstream in(DFA_CASE_TABLE);
    std::vector<Case> cases;
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
        fields.resize(5);
        cases.push_back({fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    EXPECT_GT(cases.size(), 200u) << DFA_CASE_TABLE;
    return cases;
}

struct Ymd {
    long long y;
    unsigned m, d;
};

std::optional<Ymd> IsoDate(const std::string& text) {
    Ymd date{};
    char dash1 = 0, dash2 = 0;
    std::istringstream in(text);
    if (!(in >> date.y >> dash1 >> date.m >> dash2 >> date.d) || dash1 != '-' || dash2 != '-') return std::nullopt;
    return date;
}

// The add-in's serial of a date, from std::chrono's calendar (stretched by the 400-year cycle):
// days since 30 December 1899, one more in year 0, whose days the add-in counts one ahead; no
// serial outside years 0..65535 or for 0001-01-01, which no day number of the add-in names.
std::optional<double> Serial(const std::string& field) {
    const auto date = IsoDate(field);
    if (!date || date->y < 0 || date->y > 65535 || (date->y == 1 && date->m == 1 && date->d == 1)) return std::nullopt;
    const long long cycles = date->y / 400;
    const sys_days day{year{static_cast<int>(date->y - 400 * cycles)} / month{date->m} / std::chrono::day{date->d}};
    return static_cast<double>((day - sys_days{1899y / 12 / 30}).count() + 146097 * cycles + (date->y == 0));
}

std::string Number(double x) { return std::to_string(static_cast<long long>(x)); }

TEST(CaseTable, TheAddinGivesEveryResult) {
    dfa_test::LoadedAddin addin;
    addin.setNullDate();
    for (const Case& c : ReadCases()) {
        if (c.sqliteOnly()) continue;
        const auto first = Serial(c.first), second = Serial(c.second);
        std::string expected = "NULL";
        if (c.second.empty() && first)
            expected = Number(addin.date(c.function.c_str(), *first));
        else if (first && second && c.mode != "NULL")
            expected = Number(addin.diff(c.function.c_str(), *first, *second, c.mode.empty() ? 0 : std::stod(c.mode)));
        EXPECT_EQ(c.result, expected) << c.text();
    }
}

#ifdef DFA_SQLITE_EXTENSION
// Each date goes in as text where SQLite's text can hold it (years 0000 to 9999) and as the
// Julian day number of its noon.
struct Sqlite {
    sqlite3* db = nullptr;
    Sqlite() {
        EXPECT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
        sqlite3_enable_load_extension(db, 1);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_load_extension(db, DFA_SQLITE_EXTENSION, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
    }
    ~Sqlite() { sqlite3_close(db); }

    // The result as the table writes it; bind(statement, index) binds each argument.
    template <typename Bind>
    std::string call(const Case& c, int args, Bind bind) {
        std::string sql = "SELECT " + c.function + "(?";
        for (int i = 1; i < args; ++i) sql += ", ?";
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, (sql + ")").c_str(), -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        for (int i = 1; i <= args; ++i) bind(statement, i);
        EXPECT_EQ(sqlite3_step(statement), SQLITE_ROW) << sqlite3_errmsg(db);
        const std::string result = sqlite3_column_type(statement, 0) == SQLITE_NULL
                                       ? "NULL"
                                       : std::to_string(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);
        return result;
    }
};

void BindDate(sqlite3_stmt* statement, int i, const std::string& field, bool asNumber) {
    if (field.starts_with("text:")) {
        sqlite3_bind_text(statement, i, field.c_str() + 5, -1, SQLITE_TRANSIENT);
    } else if (field == "infinity" || field == "-infinity") {
        sqlite3_bind_double(statement, i, field[0] == '-' ? -HUGE_VAL : HUGE_VAL);
    } else if (const auto date = IsoDate(field); date && asNumber) {
        // Days from 1970-01-01 by std::chrono, then the Julian day at noon of that day.
        const long long cycles = date->y >= 0 ? date->y / 400 : (date->y - 399) / 400;
        const sys_days day{year{static_cast<int>(date->y - 400 * cycles)} / month{date->m} / std::chrono::day{date->d}};
        sqlite3_bind_double(statement, i, static_cast<double>(day.time_since_epoch().count() + 146097 * cycles) + 2440588.0);
    } else if (date) {
        sqlite3_bind_text(statement, i, field.c_str(), -1, SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_null(statement, i);
    }
}

TEST(CaseTable, SqliteGivesEveryResult) {
    Sqlite sqlite;
    for (const Case& c : ReadCases()) {
        const int args = c.second.empty() ? 1 : c.mode.empty() ? 2 : 3;
        const bool fitsText = [&] {
            for (const std::string* field : {&c.first, &c.second})
                if (const auto date = IsoDate(*field); date && (date->y < 0 || date->y > 9999 || field->starts_with('-')))
                    return false;
            return true;
        }();
        for (const bool asNumber : {false, true}) {
            if ((!asNumber && !fitsText) || (asNumber && c.sqliteOnly())) continue;
            const std::string got = sqlite.call(c, args, [&](sqlite3_stmt* statement, int i) {
                if (i == 3)
                    c.mode == "NULL" ? sqlite3_bind_null(statement, 3) : sqlite3_bind_int(statement, 3, std::stoi(c.mode));
                else
                    BindDate(statement, i, i == 1 ? c.first : c.second, asNumber);
            });
            EXPECT_EQ(got, c.result) << c.text() << (asNumber ? " as Julian days" : " as text");
        }
    }
}

// The typed table (sql/typed_cases.csv): every row of the kinds SQLite has, no more and no fewer;
// it has no zoned type, so the timestamptz rows are other engines'. A date or timestamp is its
// ISO text, 'refused' is NULL or an error.
TEST(TypedTable, SqliteGivesEveryResult) {
    Sqlite sqlite;
    std::ifstream in(DFA_TYPED_TABLE);
    std::string line;
    std::getline(in, line);  // the header
    int rows = 0, ofTheseKinds = 0;
    while (std::getline(in, line)) {
        ofTheseKinds += line.find("timestamptz:") == std::string::npos;
        std::vector<std::string> f;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, ',');) f.push_back(field);
        f.resize(6);
        if (line.find("timestamptz:") != std::string::npos) continue;
        const std::string sql = "SELECT " + f[0] + "(?" + (f[3].empty() ? "" : ", ?") + (f[4].empty() ? "" : ", ?") + ")";
        sqlite3_stmt* statement = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(sqlite.db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK);
        for (int i = 1; i <= 2; ++i) {
            const std::string& value = f[static_cast<std::size_t>(i + 1)];
            if (const auto colon = value.find(':'); colon != std::string::npos)
                sqlite3_bind_text(statement, i, value.c_str() + colon + 1, -1, SQLITE_TRANSIENT);
        }
        if (f[4] != "NULL" && !f[4].empty()) sqlite3_bind_double(statement, f[3].empty() ? 2 : 3, std::stod(f[4]));
        const int rc = sqlite3_step(statement);
        const std::string got = rc != SQLITE_ROW                                  ? "error"
                                : sqlite3_column_type(statement, 0) == SQLITE_NULL ? "NULL"
                                                                                   : std::to_string(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);
        if (f[5] == "refused")
            EXPECT_TRUE(got == "NULL" || got == "error") << line << ": " << got;
        else
            EXPECT_EQ(got, f[5]) << line;
        ++rows;
    }
    EXPECT_EQ(rows, ofTheseKinds);
    EXPECT_GT(rows, 20);
}
#endif

}  // namespace
