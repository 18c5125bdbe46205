// SPDX-License-Identifier: MIT
// The SQLite extension's reading of a value (sqlite_value_day.h), against SQLite's own date() of
// the same value: any bytes as text, texts built of dates, times, fractions of a second and
// zones, numeric text, and numbers. Wherever date() names a day of years 0 to 9999, the reading
// names that day; wherever it names none, neither does the reading. Three departures are the
// reading's by design: a day that its month does not have is no date (date() writes 2023-02-30
// back, or counts on into March past a zone), a number past date()'s range is read on, and
// numeric text with a NUL byte inside it is no date (SQLite reads it as text elsewhere).
#include <FuzzedDataProvider.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "addin_serial.h"
#include "sqlite_value_day.h"

namespace {

using namespace std::chrono;

constexpr int64_t kLastTextDays = dfa_host::DaysFromCivil(9999, 12, 31);

// A day of years 0 to 9999 as date() writes it; "beyond" for a later one.
std::string Iso(int64_t days) {
    if (days > kLastTextDays) return "beyond";
    const year_month_day date{sys_days{std::chrono::days{days}}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int{date.year()}, unsigned{date.month()}, unsigned{date.day()});
    return text;
}

// The reading as an SQL function: the day's text, NULL for no day (a day before year 0 is none
// of the add-in's either), "now" for the clock.
void ReadDay(sqlite3_context* context, int, sqlite3_value** argv) {
    const dfa_sqlite::ValueDay day = dfa_sqlite::DayOfValue(argv[0]);
    if (day.kind == dfa_sqlite::ValueDay::kNoDay || (day.kind == dfa_sqlite::ValueDay::kDay && day.days < dfa_host::kFirstAddinDays))
        return sqlite3_result_null(context);
    sqlite3_result_text(context, day.kind == dfa_sqlite::ValueDay::kClock ? "now" : Iso(day.days).c_str(), -1, SQLITE_TRANSIENT);
}

sqlite3_stmt* Statement() {
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK ||
        sqlite3_create_function(db, "read_day", 1, SQLITE_UTF8, nullptr, ReadDay, nullptr, nullptr) != SQLITE_OK)
        std::abort();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT read_day(?1), date(?1)", -1, &statement, nullptr) != SQLITE_OK) std::abort();
    return statement;
}

std::optional<std::string> Column(sqlite3_stmt* statement, int i) {
    if (sqlite3_column_type(statement, i) == SQLITE_NULL) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)));
}

// A date of years 0 to 9999 that exists, in date()'s own form.
bool IsRealDate(const std::string& text) {
    int y = 0;
    unsigned m = 0, d = 0;
    char tail = 0;
    return text.size() == 10 && std::sscanf(text.c_str(), "%4d-%2u-%2u%c", &y, &m, &d, &tail) == 3 &&
           year_month_day{year{y} / month{m} / day{d}}.ok();
}

// Whether a text begins with a written date (YYYY-MM-DD, a "-" before it too) of a day its month lacks.
bool WritesAMissingDay(const std::string& text) {
    int y = 0;
    unsigned m = 0, d = 0;
    const char* at = text.c_str() + (text.starts_with('-') ? 1 : 0);
    int read = 0;
    return std::sscanf(at, "%4d-%2u-%2u%n", &y, &m, &d, &read) == 3 && read == 10 &&
           !year_month_day{year{y} / month{m} / day{d}}.ok();
}

// A text built the way dates are written: a date, a time with seconds and a fraction, a zone.
std::string WrittenDate(FuzzedDataProvider& in) {
    char part[64];
    std::string text;
    if (in.ConsumeIntegralInRange(0, 7) != 0) {  // a time alone, now and then
        std::snprintf(part, sizeof part, "%s%04d-%02d-%02d", in.ConsumeIntegralInRange(0, 15) == 0 ? "-" : "",
                      in.ConsumeIntegralInRange(0, 9999), in.ConsumeIntegralInRange(0, 13), in.ConsumeIntegralInRange(0, 32));
        text = part;
        static const char* const kSeparators[] = {"", " ", "T", "  ", "T ", "\t"};
        text += kSeparators[in.ConsumeIntegralInRange(0, 5)];
        if (in.ConsumeBool()) return text;
    }
    std::snprintf(part, sizeof part, "%02d:%02d", in.ConsumeIntegralInRange(0, 25), in.ConsumeIntegralInRange(0, 60));
    text += part;
    if (in.ConsumeBool()) {
        std::snprintf(part, sizeof part, ":%02d", in.ConsumeIntegralInRange(0, 60));
        text += part;
        if (const int digits = in.ConsumeIntegralInRange(0, 24); digits > 0) {
            text += '.';
            const bool nines = in.ConsumeBool();  // 59.9999...: where rounding would cross midnight
            for (int i = 0; i < digits; ++i) text += nines ? '9' : static_cast<char>('0' + in.ConsumeIntegralInRange(0, 9));
        }
    }
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: break;
        case 1: text += in.ConsumeBool() ? "Z" : " z"; break;
        default:
            std::snprintf(part, sizeof part, "%s%c%02d:%02d", in.ConsumeBool() ? " " : "", in.ConsumeBool() ? '+' : '-',
                          in.ConsumeIntegralInRange(0, 15), in.ConsumeIntegralInRange(0, 60));
            text += part;
    }
    if (in.ConsumeBool()) text += " ";
    return text;
}

void Fail(const std::string& value, const std::optional<std::string>& ours, const std::optional<std::string>& sqlite) {
    std::fprintf(stderr, "%s: the reading gives %s, date() %s\n", value.c_str(), ours.value_or("NULL").c_str(),
                 sqlite.value_or("NULL").c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sqlite3_stmt* const statement = Statement();
    FuzzedDataProvider in(data, size);
    sqlite3_reset(statement);
    std::string value;
    bool number = false;
    switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0: value = in.ConsumeRemainingBytesAsString(); break;
        case 1: value = WrittenDate(in); break;
        case 2: {  // numeric text: a Julian day number, or eight digits (YYYYMMDD)
            char text[40];
            if (in.ConsumeBool())
                std::snprintf(text, sizeof text, "%.17g", in.ConsumeFloatingPoint<double>());
            else
                std::snprintf(text, sizeof text, "%08d", in.ConsumeIntegralInRange(0, 99991231));
            value = text;
            break;
        }
        case 3: {
            const double julianDay = in.ConsumeFloatingPoint<double>();
            sqlite3_bind_double(statement, 1, julianDay);
            value = "REAL " + std::to_string(julianDay);
            number = true;
            break;
        }
        default: {
            const auto julianDay = in.ConsumeIntegral<int64_t>();
            sqlite3_bind_int64(statement, 1, julianDay);
            value = "INTEGER " + std::to_string(julianDay);
            number = true;
        }
    }
    if (!number) sqlite3_bind_text(statement, 1, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(statement) != SQLITE_ROW) std::abort();
    const auto ours = Column(statement, 0), sqlite = Column(statement, 1);
    if (ours == "now") return 0;  // the clock, which the extension refuses
    if (sqlite && IsRealDate(*sqlite)) {
        if (ours != sqlite && !(!ours && (WritesAMissingDay(value) || value.find('\0') != std::string::npos)))
            Fail(value, ours, sqlite);
    } else if (sqlite) {  // a year before 0, or a day its month lacks: no day of the add-in's
        if (ours) Fail(value, ours, sqlite);
    } else if (ours && !(number && *ours == "beyond")) {
        Fail(value, ours, sqlite);
    }
    return 0;
}
