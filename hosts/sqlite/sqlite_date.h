// SPDX-License-Identifier: MIT
// SQLite's dates, read the way its julianday() reads them, as days since 1970-01-01: the day of
// the moment a text names, or of a Julian day number. SQLite keeps dates as text or numbers and
// checks them only when a date function reads them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dfa_sqlite {

// YYYY-MM-DD (a leading "-" for years before 0), then any run of blanks and "T", then
// optionally HH:MM[:SS[.fraction]] and a zone [+-]HH:MM or Z, blanks after it, read as date()
// reads it: the written day, whatever the time of day, unless an offset other than +00:00
// moves the moment to another day in UTC. A moment after 9999-12-31 is no date, as date() has
// none for it. A day that its month does not have (2023-02-30) is not a date either, though
// date() would write it or count on into March. A time alone (with its zone) is of 2000-01-01,
// and its day is that of the moment. SQLite's texts end at a NUL byte: so does this one;
// nothing past text.size() is read. Numeric text and 'now' are the caller's.
std::optional<int64_t> DaysOfDateText(std::string_view text) noexcept;

// A Julian day number (noon of 1 January 4713 BC is 0), rounded to the millisecond as SQLite
// rounds it; negative and non-finite numbers are no day. Larger numbers than SQLite's own date
// functions take (they stop at 9999-12-31) are read on.
std::optional<int64_t> DaysOfJulianDay(double julianDay) noexcept;

// Numeric text, which date() reads as a Julian day number up to the end of 9999-12-31 only
// ('20040210' is no date to it, nor to this).
std::optional<int64_t> DaysOfJulianDayText(double julianDay) noexcept;

}  // namespace dfa_sqlite
