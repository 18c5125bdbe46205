// SPDX-License-Identifier: MIT
// The calendar against std::chrono (proleptic Gregorian, years up to 32767), Gregorian
// 400-year periodicity beyond, and the step-by-step transcription of the conversion rules.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>

#include "calendar.h"
#include "step_calendar.h"

namespace {

using namespace std::chrono;

struct Ymd {
    uint16_t d, m, y;
    bool operator==(const Ymd&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Ymd& v) { return os << v.y << '-' << v.m << '-' << v.d; }

Ymd Fast(int32_t n) {
    Ymd v{};
    dfa::DaysToDate(n, &v.d, &v.m, &v.y);
    return v;
}
Ymd Step(int32_t n) {
    Ymd v{};
    step::DaysToDate(n, v.d, v.m, v.y);
    return v;
}

// std::chrono counts plainly; day numbers up to 1 are one day ahead of that count.
Ymd Chrono(int32_t n) {
    const year_month_day ymd{sys_days{days{n - (n <= 1) - 719163}}};
    return {static_cast<uint16_t>(unsigned{ymd.day()}), static_cast<uint16_t>(unsigned{ymd.month()}),
            static_cast<uint16_t>(int{ymd.year()})};
}

TEST(Calendar, KnownDays) {
    const struct { int32_t n; Ymd date; } kTable[] = {
        {-364, {1, 1, 0}},      {0, {30, 12, 0}},         {1, {31, 12, 0}},        {2, {2, 1, 1}},
        {693594, {30, 12, 1899}}, {693596, {1, 1, 1900}}, {693654, {28, 2, 1900}}, {693655, {1, 3, 1900}},
        {3652059, {31, 12, 9999}}, {23920640, {27, 6, 65493}}, {23936166, {31, 12, 65535}},
    };
    for (const auto& row : kTable) {
        EXPECT_EQ(Fast(row.n), row.date) << row.n;
        EXPECT_EQ(dfa::DateToDays(row.date.d, row.date.m, row.date.y), row.n);
    }
    EXPECT_EQ(dfa::DateToDays(1, 1, 1), 1);
}

TEST(Calendar, LeapYearsAndMonthLengths) {
    for (uint32_t y = 0; y <= 65535; ++y) {
        const auto year16 = static_cast<uint16_t>(y);
        // Beyond std::chrono's years the rule repeats every 400 years.
        const bool leap = year{static_cast<int>(y <= 32767 ? y : y % 400 + 2000)}.is_leap();
        ASSERT_EQ(dfa::IsLeapYear(year16), leap) << y;
        for (uint16_t m = 1; m <= 12; ++m) {
            const unsigned expected = unsigned{(year{2000 + int{leap} - 1} / month{m} / last).day()};
            ASSERT_EQ(dfa::DaysInMonth(m, year16), expected) << y << '-' << m;
        }
    }
}

// Every day of the calendar: the oracle, the transcription, the round trip.
TEST(CalendarSweep, EveryDayAgreesWithOracleAndTranscription) {
    int failures = 0;
    Ymd previous = Fast(dfa::kFirstDay - 1);
    for (int32_t n = dfa::kFirstDay; n <= dfa::kLastDay && failures < 10; ++n) {
        const Ymd date = Fast(n);
        const Ymd expected = date.y <= 32767 ? Chrono(n) : [&] {
            Ymd earlier = Fast(n - 146097);  // 400 years earlier, already checked
            earlier.y = static_cast<uint16_t>(earlier.y + 400);
            return earlier;
        }();
        const bool ok = date == expected && date == Step(n) &&
                        dfa::DateToDays(date.d, date.m, date.y) == n &&
                        step::DateToDays(date.d, date.m, date.y) == n;
        if (!ok) {
            ++failures;
            ADD_FAILURE() << "day " << n << ": " << date << ", expected " << expected << ", transcription " << Step(n);
        }
        previous = date;
    }
    EXPECT_EQ(previous, (Ymd{31, 12, 65535}));
}

TEST(CalendarSweep, OutOfRangeClampsToTheEnds) {
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int32_t> below(INT32_MIN, dfa::kFirstDay - 1), above(dfa::kLastDay + 1, INT32_MAX);
    for (int i = 0; i < 2000; ++i) {
        const int32_t n = (i & 1) ? below(rng) : above(rng);
        const Ymd expected = n < 0 ? Ymd{1, 1, 0} : Ymd{31, 12, 65535};
        ASSERT_EQ(Fast(n), expected) << n;
        ASSERT_EQ(Step(n), expected) << n;
    }
    for (int32_t n : {INT32_MIN, INT32_MIN + 1, dfa::kFirstDay - 1, dfa::kLastDay + 1, INT32_MAX - 1, INT32_MAX})
        EXPECT_EQ(Fast(n), n < 0 ? (Ymd{1, 1, 0}) : (Ymd{31, 12, 65535})) << n;
}

}  // namespace
