// SPDX-License-Identifier: MIT
#include "serial_date.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <string>

namespace dfa_host {

namespace {

std::optional<double> ParseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    int y = 0;
    unsigned m = 0, d = 0;
    auto digits = [&](std::size_t pos, std::size_t len, auto& out) {
        const char* end = text.data() + pos + len;
        auto [ptr, ec] = std::from_chars(text.data() + pos, end, out);
        return ec == std::errc{} && ptr == end;
    };
    if (!digits(0, 4, y) || !digits(5, 2, m) || !digits(8, 2, d)) return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year{y}, month{m}, day{d}};
    if (!date.ok()) return std::nullopt;
    constexpr sys_days kNullDate = 1899y / December / 30;
    return static_cast<double>((sys_days{date} - kNullDate).count());
}

}  // namespace

std::optional<double> ParseSerial(std::string_view text) {
    if (auto iso = ParseIsoDate(text)) return iso;
    if (text.empty() || text.front() == ' ') return std::nullopt;
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size()) return std::nullopt;
    return value;
}

}  // namespace dfa_host
