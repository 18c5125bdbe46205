// SPDX-License-Identifier: MIT
// dfa-host's ISO dates name the day that the add-in reads for the serial they become, over the
// add-in's whole calendar.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "addin_serial.h"
#include "calendar.h"
#include "serial_date.h"

namespace {

using dfa_host::AddinDayNumber;
using dfa_host::AddinSerialOfDays;
using dfa_host::DaysFromCivil;
using dfa_host::ParseArgument;

constexpr int32_t kNullDate = dfa::kNullDate;

std::string Iso(unsigned y, unsigned m, unsigned d) {
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", y, m, d);
    return text;
}

TEST(IsoDate, FormsAndErrors) {
    const struct { const char* text; double serial; const char* error; } kTable[] = {
        {"1899-12-30", 0, nullptr},
        {"1900-03-01", 61, nullptr},
        {"+2004-02-29", 38046, nullptr},
        {"02004-02-29", 38046, nullptr},
        {"0000-12-31", 1 - kNullDate, nullptr},
        {"0000-01-01", -364 - kNullDate, nullptr},
        {"+65535-12-31", 23936166 - kNullDate, nullptr},
        {"0001-01-02", 2 - kNullDate, nullptr},
        {"0001-01-01", 0, "no serial names 0001-01-01"},
        {"-0001-01-01", 0, "years before 0"},
        {"\xe2\x88\x92" "2004-01-01", 0, "no sign but '+'"},  // U+2212 minus sign
        {"65536-01-01", 0, "years after 65535"},
        {"204-01-01", 0, "4 or 5 digits"},
        {"100000-01-01", 0, "4 or 5 digits"},
        {"1900-02-29", 0, "no such day"},
        {"2004-13-01", 0, "no such day"},
        {"2004-1-01", 0, "neither a number nor a date"},
        {"45000", 45000, nullptr},
        {"-1.5", -1.5, nullptr},
        {" 5", 0, "neither"},
        {"\t5", 0, "neither"},
        {"5 ", 0, "neither"},
        {"", 0, "neither"},
    };
    for (const auto& row : kTable) {
        const auto arg = ParseArgument(row.text);
        if (row.error) {
            EXPECT_FALSE(arg.value) << row.text;
            EXPECT_NE(arg.error.find(row.error), std::string::npos) << row.text << ": " << arg.error;
        } else {
            EXPECT_EQ(arg.value, row.serial) << row.text << ": " << arg.error;
        }
    }
}

// Every day of every year: its day number reads back as the date itself, consecutive days
// have consecutive numbers and consecutive days since 1970 (which the SQL engines' extensions
// convert), and the dates that can hide an error (the ends of February and of the year) also go
// through the parser.
TEST(IsoDateSweep, EveryDateNamesTheDayTheAddinReads) {
    using namespace std::chrono;
    int32_t previous = dfa::kFirstDay - 1;
    for (unsigned y = 0; y <= 65535; ++y) {
        const bool leap = year{static_cast<int>(y % 400)}.is_leap();
        for (unsigned m = 1; m <= 12; ++m) {
            const unsigned length = unsigned{(year{leap ? 2000 : 2001} / month{m} / last).day()};
            for (unsigned d = 1; d <= length; ++d) {
                const auto n = AddinDayNumber(static_cast<int32_t>(y), m, d);
                if (y == 1 && m == 1 && d == 1) {
                    ASSERT_FALSE(n);
                    continue;
                }
                ASSERT_TRUE(n) << Iso(y, m, d);
                uint16_t day = 0, month = 0, yr = 0;
                dfa::DaysToDate(*n, &day, &month, &yr);
                ASSERT_TRUE(day == d && month == m && yr == y) << Iso(y, m, d) << " is day " << *n;
                ASSERT_EQ(*n, previous + 1) << Iso(y, m, d);
                ASSERT_EQ(AddinSerialOfDays(DaysFromCivil(y, m, d)), *n - kNullDate) << Iso(y, m, d);
                previous = *n;
            }
        }
        for (unsigned md : {101u, 228u, 229u, 301u, 1231u}) {
            if (md == 229 && !leap) continue;
            if (y == 1 && md == 101) continue;
            const std::string text = Iso(y, md / 100, md % 100);
            const auto arg = ParseArgument(y > 9999 ? text : (y % 2 ? "+" : "") + text);
            ASSERT_EQ(arg.value, *AddinDayNumber(static_cast<int32_t>(y), md / 100, md % 100) - kNullDate) << text;
        }
    }
    EXPECT_EQ(previous, dfa::kLastDay);
    EXPECT_EQ(DaysFromCivil(65535, 12, 31) - DaysFromCivil(0, 1, 1), dfa::kLastDay - dfa::kFirstDay + 1);  // year 0 runs one ahead
    EXPECT_FALSE(AddinSerialOfDays(DaysFromCivil(0, 1, 1) - 1));
    EXPECT_FALSE(AddinSerialOfDays(DaysFromCivil(65535, 12, 31) + 1));
}

}  // namespace
