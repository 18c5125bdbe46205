// SPDX-License-Identifier: MIT
// The day of an SQLite value, as the extension reads it. Include it after SQLITE_EXTENSION_INIT1
// (in the extension, whose calls go through SQLite's table of functions) or after sqlite3.h (in
// a program linked with SQLite): the same reading either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "sqlite_date.h"

namespace dfa_sqlite {

struct ValueDay {
    enum Kind { kDay, kNoDay, kClock } kind;  // kClock: 'now', which no deterministic function may read
    int64_t days;                            // since 1970-01-01, for kDay
};

// Text as date() reads it (numeric text a Julian day number in date()'s range, unless a NUL byte
// is inside it); an INTEGER or REAL a Julian day number, also past date()'s range; NULL and a
// BLOB no day.
inline ValueDay DayOfValue(sqlite3_value* value) {
    std::optional<int64_t> days;
    switch (sqlite3_value_type(value)) {
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
            const auto bytes = static_cast<std::size_t>(sqlite3_value_bytes(value));
            if (!text) break;
            days = DaysOfDateText({text, bytes});
            // SQLite's text ends at a NUL byte, but its numbers do not: text with a NUL inside
            // is read as a number by date() and as text by the conversion below, so as neither.
            if (!days && std::char_traits<char>::find(text, bytes, '\0') == nullptr && sqlite3_value_numeric_type(value) != SQLITE_TEXT)
                days = DaysOfJulianDayText(sqlite3_value_double(value));
            else if (!days && sqlite3_strnicmp(text, "now", 4) == 0)  // SQLite's text ends at a NUL
                return {ValueDay::kClock, 0};
            break;
        }
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: days = DaysOfJulianDay(sqlite3_value_double(value)); break;
        default: break;
    }
    return days ? ValueDay{ValueDay::kDay, *days} : ValueDay{ValueDay::kNoDay, 0};
}

}  // namespace dfa_sqlite
