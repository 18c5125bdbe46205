// SPDX-License-Identifier: MIT
#include "serial_date.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

#include "addin_serial.h"
#include "calendar.h"

namespace dfa_host {

namespace {

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

template <typename T>
T Digits(std::string_view s) {
    T value{};
    std::from_chars(s.data(), s.data() + s.size(), value);
    return value;
}

// Text shaped like a date: a sign or none (up to 4 bytes, none of them a letter or digit), the
// year's digits, "-", two digits, "-", two digits. Such text is a date or an error, never a number.
struct DateShape {
    std::string_view sign, year, month, day;
};

std::optional<DateShape> SplitDate(std::string_view text) {
    const std::size_t yearStart = text.find_first_of("0123456789");
    if (yearStart == std::string_view::npos || yearStart > 4 || text.size() < yearStart + 7) return std::nullopt;
    if (std::any_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(yearStart),
                    [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    const std::size_t n = text.size();
    if (text[n - 3] != '-' || text[n - 6] != '-') return std::nullopt;
    DateShape shape{text.substr(0, yearStart), text.substr(yearStart, n - 6 - yearStart), text.substr(n - 5, 2),
                    text.substr(n - 2)};
    if (!AllDigits(shape.year) || !AllDigits(shape.month) || !AllDigits(shape.day)) return std::nullopt;
    return shape;
}

Argument ParseDate(const DateShape& date) {
    if (date.sign == "-") return {{}, "years before 0 are outside the add-in's calendar (years 0 to 65535)"};
    if (!date.sign.empty() && date.sign != "+") return {{}, "a date's year takes no sign but '+'"};
    if (date.year.size() < 4 || date.year.size() > 5) return {{}, "a date's year has 4 or 5 digits"};
    const auto y = Digits<int32_t>(date.year);
    if (y > kLastAddinYear) return {{}, "years after 65535 are outside the add-in's calendar"};
    const auto m = Digits<unsigned>(date.month), d = Digits<unsigned>(date.day);
    if (m < 1 || m > 12 || d < 1 || d > dfa::DaysInMonth(static_cast<uint16_t>(m), static_cast<uint16_t>(y)))
        return {{}, "no such day"};
    const auto serial = AddinSerial(y, m, d);
    if (!serial) return {{}, "no serial names 0001-01-01: the add-in reads its day number as 0000-12-31"};
    return {*serial, {}};
}

}  // namespace

Argument ParseArgument(std::string_view text) {
    if (auto date = SplitDate(text)) return ParseDate(*date);
    // strtod would skip leading whitespace; an argument is the number alone.
    const bool spaced = std::any_of(text.begin(), text.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || spaced || end != copy.c_str() + copy.size())
        return {{}, "neither a number nor a date YYYY-MM-DD"};
    return {value, {}};
}

}  // namespace dfa_host
