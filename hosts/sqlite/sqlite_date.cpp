// SPDX-License-Identifier: MIT
#include "sqlite_date.h"

#include "addin_serial.h"
#include "calendar.h"

namespace dfa_sqlite {

namespace {

constexpr int64_t kMillisecondsPerDay = 86400000;
// Julian day 2440588 begins at noon of 1970-01-01; SQLite's day of a Julian day number in
// milliseconds is (ms + half a day) / a day.
constexpr int64_t kJulianDayOf1970 = 2440588;
// The first Julian day number that date() no longer reads: the end of 9999-12-31.
constexpr double kFirstJulianDayPastText = 5373484.5;

// The text, with SQLite's end of text: its length or its first NUL byte, whichever comes first.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}
    char peek(std::size_t ahead = 0) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }
    bool atEnd() const { return peek() == '\0'; }
    void skip(std::size_t n = 1) { at_ += n; }
    bool take(char c) {
        if (peek() != c) return false;
        ++at_;
        return true;
    }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    void skipBlanks() {
        while (IsBlank(peek())) ++at_;
    }
    // Exactly `digits` digits forming a number in [low, high].
    std::optional<int> number(int digits, int low, int high) {
        int value = 0;
        for (int i = 0; i < digits; ++i) {
            if (!IsDigit(peek(static_cast<std::size_t>(i)))) return std::nullopt;
            value = value * 10 + (peek(static_cast<std::size_t>(i)) - '0');
        }
        if (value < low || value > high) return std::nullopt;
        skip(static_cast<std::size_t>(digits));
        return value;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// [+-]HH:MM or Z, with blanks around it, up to the end; the zone's offset in minutes.
std::optional<int64_t> Zone(Cursor& in) {
    in.skipBlanks();
    int64_t minutes = 0;
    if (in.take('Z') || in.take('z')) {
    } else if (in.peek() == '+' || in.peek() == '-') {
        const int64_t sign = in.peek() == '-' ? -1 : 1;
        in.skip();
        const auto hours = in.number(2, 0, 14);
        if (!hours || !in.take(':')) return std::nullopt;
        const auto rest = in.number(2, 0, 59);
        if (!rest) return std::nullopt;
        minutes = sign * (*hours * 60 + *rest);
    }
    in.skipBlanks();
    if (!in.atEnd()) return std::nullopt;
    return minutes;
}

// A time of day and its zone, as SQLite's date functions read them.
struct TimeOfDay {
    int64_t milliseconds;  // from midnight, in the text's own zone
    int64_t zoneMinutes;   // the zone's offset; 0 for Z, +00:00 and no zone alike
};

// HH:MM[:SS[.fraction]] and the zone; seconds rounded to the millisecond, as SQLite rounds them.
std::optional<TimeOfDay> Time(Cursor& in) {
    const auto hours = in.number(2, 0, 24);
    if (!hours || !in.take(':')) return std::nullopt;
    const auto minutes = in.number(2, 0, 59);
    if (!minutes) return std::nullopt;
    double seconds = 0;
    if (in.take(':')) {
        const auto whole = in.number(2, 0, 59);
        if (!whole) return std::nullopt;
        double fraction = 0, scale = 1;
        if (in.peek() == '.' && Cursor::IsDigit(in.peek(1))) {
            in.skip();
            for (; Cursor::IsDigit(in.peek()); in.skip()) {
                fraction = fraction * 10.0 + (in.peek() - '0');
                scale *= 10.0;
            }
        }
        // Hundreds of digits make both infinite, and the quotient NaN: no time SQLite could name.
        seconds = *whole + fraction / scale;
        if (seconds != seconds) return std::nullopt;
    }
    const auto zone = Zone(in);
    if (!zone) return std::nullopt;
    return TimeOfDay{int64_t{*hours} * 3600000 + int64_t{*minutes} * 60000 + static_cast<int64_t>(seconds * 1000 + 0.5), *zone};
}

// The last moment SQLite's date functions take, 9999-12-31 23:59:59.999 UTC, in milliseconds
// since 1970; a later one is no date to them.
constexpr int64_t kLastMillisecond = dfa_host::DaysFromCivil(10000, 1, 1) * kMillisecondsPerDay - 1;

// The day of a moment of `days` plus a time of day, in UTC: that moment's day, or nothing past
// the last moment.
std::optional<int64_t> DayInUtc(int64_t days, const TimeOfDay& time) {
    const int64_t moment = days * kMillisecondsPerDay + time.milliseconds - time.zoneMinutes * 60000;
    if (moment > kLastMillisecond) return std::nullopt;
    return dfa_host::FloorDivide(moment, kMillisecondsPerDay);
}

}  // namespace

// YYYY-MM-DD and an optional time of day. Without a zone (or with Z or +00:00) the day is the
// written one, whatever the time (24:00 too); an offset moves it to the day in UTC.
std::optional<int64_t> DaysOfDateAndTime(std::string_view text) {
    Cursor in(text);
    const bool beforeYear0 = in.take('-');
    const auto year = in.number(4, 0, 9999);
    if (!year || !in.take('-')) return std::nullopt;
    const auto month = in.number(2, 1, 12);
    if (!month || !in.take('-')) return std::nullopt;
    const auto day = in.number(2, 1, 31);
    if (!day) return std::nullopt;
    const int64_t y = beforeYear0 ? -*year : *year;
    // Month lengths repeat every 400 years: a year of the add-in's calendar stands in for any.
    const auto cycleYear = static_cast<uint16_t>((y % 400 + 400) % 400);
    if (*day > dfa::DaysInMonth(static_cast<uint16_t>(*month), cycleYear)) return std::nullopt;
    const int64_t days = dfa_host::DaysFromCivil(y, static_cast<unsigned>(*month), static_cast<unsigned>(*day));
    while (Cursor::IsBlank(in.peek()) || in.peek() == 'T') in.skip();
    if (in.atEnd()) return days;
    const auto time = Time(in);
    if (!time) return std::nullopt;
    const auto utcDay = DayInUtc(days, *time);
    if (!utcDay) return std::nullopt;
    return time->zoneMinutes == 0 ? days : *utcDay;
}

std::optional<int64_t> DaysOfDateText(std::string_view text) noexcept {
    if (const auto days = DaysOfDateAndTime(text)) return days;
    // A time alone is of 2000-01-01, as SQLite takes it, and its day is that of the moment.
    Cursor in(text);
    const auto time = Time(in);
    if (!time) return std::nullopt;
    return DayInUtc(dfa_host::DaysFromCivil(2000, 1, 1), *time);
}

std::optional<int64_t> DaysOfJulianDayText(double julianDay) noexcept {
    if (!(julianDay < kFirstJulianDayPastText)) return std::nullopt;
    return DaysOfJulianDay(julianDay);
}

std::optional<int64_t> DaysOfJulianDay(double julianDay) noexcept {
    // Beyond the add-in's calendar (Julian day 25,657,590 is 65536-01-01) no day is wanted, and
    // the milliseconds below would leave int64 long before the number leaves double.
    if (!(julianDay >= 0.0 && julianDay < 3e7)) return std::nullopt;
    const auto milliseconds = static_cast<int64_t>(julianDay * 86400000.0 + 0.5);
    return (milliseconds + kMillisecondsPerDay / 2) / kMillisecondsPerDay - kJulianDayOf1970;
}

}  // namespace dfa_sqlite
