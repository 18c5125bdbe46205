// SPDX-License-Identifier: MIT
// The seven worksheet functions called through dlsym, as a host calls them.
#include <chrono>
#include <cmath>
#include <limits>

#include "calendar.h"
#include "loaded_addin.h"

namespace {

using namespace std::chrono;
using dfa_test::LoadedAddin;
using dfa_test::Serial;

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Worksheet : testing::Test {
    LoadedAddin addin;
    Worksheet() { addin.setNullDate(); }
};

TEST_F(Worksheet, Differences) {
    const struct { const char* entry; double from, to; double standard, iso; } kTable[] = {
        {"QvDate_GetDiffWeeks", Serial(2004, 1, 2), Serial(2004, 1, 5), 0, 1},
        {"QvDate_GetDiffWeeks", Serial(2004, 1, 5), Serial(2003, 12, 28), -1, -1},
        {"QvDate_GetDiffWeeks", Serial(2004, 1, 1), Serial(2004, 1, 15), 2, 2},
        {"QvDate_GetDiffWeeks", Serial(2004, 1, 15), Serial(2004, 1, 1), -2, -2},
        {"QvDate_GetDiffMonths", Serial(2005, 1, 31), Serial(2005, 2, 28), 0, 1},
        {"QvDate_GetDiffMonths", Serial(2005, 2, 28), Serial(2005, 1, 31), 0, -1},
        {"QvDate_GetDiffMonths", Serial(2005, 3, 15), Serial(2005, 1, 20), -1, -2},
        {"QvDate_GetDiffMonths", Serial(2005, 3, 15), Serial(2005, 3, 15), 0, 0},
        {"QvDate_GetDiffYears", Serial(2004, 3, 1), Serial(2005, 2, 28), 0, 1},
        {"QvDate_GetDiffYears", Serial(2004, 12, 31), Serial(2005, 1, 1), 0, 1},
        {"QvDate_GetDiffYears", Serial(2004, 2, 29), Serial(2005, 2, 28), 0, 1},
        {"QvDate_GetDiffYears", Serial(2005, 2, 28), Serial(1990, 3, 1), -14, -15},
    };
    for (const auto& row : kTable) {
        EXPECT_EQ(addin.diff(row.entry, row.from, row.to, 0), row.standard) << row.entry << ' ' << row.from;
        EXPECT_EQ(addin.diff(row.entry, row.from, row.to, 1), row.iso) << row.entry << ' ' << row.from;
    }
}

TEST_F(Worksheet, ModeIsTruncatedAndOnlyOneSelectsIso) {
    const double from = Serial(2005, 1, 31), to = Serial(2005, 2, 28);
    for (double mode : {1.0, 1.9, 1.0 + 1e-12})
        EXPECT_EQ(addin.diff("QvDate_GetDiffMonths", from, to, mode), 1) << mode;
    for (double mode : {0.0, -1.0, 0.999, 2.0, -0.0, kNaN, kInf, -kInf, 4294967297.0, 1e300})
        EXPECT_EQ(addin.diff("QvDate_GetDiffMonths", from, to, mode), 0) << mode;
}

TEST_F(Worksheet, OneDateFunctions) {
    const struct { double serial; double leap, daysInMonth, daysInYear, weeks; } kTable[] = {
        {0, 0, 31, 365, 52},                       // 30 December 1899
        {Serial(1900, 2, 10), 0, 28, 365, 52},     {Serial(2000, 7, 1), 1, 31, 366, 52},
        {Serial(2004, 2, 1), 1, 29, 366, 53},      {Serial(2008, 6, 30), 1, 30, 366, 52},
        {Serial(2009, 1, 1), 0, 31, 365, 53},      {Serial(2014, 4, 4), 0, 30, 365, 52},
        {Serial(2015, 2, 2), 0, 28, 365, 53},      {Serial(2020, 12, 31), 1, 31, 366, 53},
        {Serial(2021, 1, 1), 0, 31, 365, 52},      {Serial(2026, 1, 1), 0, 31, 365, 53},
    };
    for (const auto& row : kTable) {
        EXPECT_EQ(addin.date("QvDate_IsLeapYear", row.serial), row.leap) << row.serial;
        EXPECT_EQ(addin.date("QvDate_DaysInMonth", row.serial), row.daysInMonth) << row.serial;
        EXPECT_EQ(addin.date("QvDate_DaysInYear", row.serial), row.daysInYear) << row.serial;
        EXPECT_EQ(addin.date("QvDate_WeeksInYear", row.serial), row.weeks) << row.serial;
    }
}

// One-date functions truncate toward zero, differences floor: -29 is 1 December 1899.
TEST_F(Worksheet, FractionsTruncateOrFloor) {
    EXPECT_EQ(addin.date("QvDate_DaysInMonth", -29.5), 31);   // 1 December
    EXPECT_EQ(addin.date("QvDate_DaysInMonth", -29.0), 31);
    EXPECT_EQ(addin.date("QvDate_DaysInMonth", -30.0), 30);   // 30 November
    EXPECT_EQ(addin.date("QvDate_DaysInMonth", 60.99), 28);   // 28 February 1900
    EXPECT_EQ(addin.diff("QvDate_GetDiffMonths", -29.5, 2, 1), 2);  // 30 November to 1 January
    EXPECT_EQ(addin.diff("QvDate_GetDiffMonths", -29.0, 2, 1), 1);
    EXPECT_EQ(addin.diff("QvDate_GetDiffWeeks", 0.5, 6.99, 0), 0);
    EXPECT_EQ(addin.diff("QvDate_GetDiffWeeks", -0.5, 6.99, 0), 1);
}

TEST(WorksheetBeforeHandshake, SerialsCountFromDayZero) {
    LoadedAddin fresh(/*fresh=*/true);
    // Serial 0 is day number 0, 30 December of year 0, a leap year.
    EXPECT_EQ(fresh.date("QvDate_IsLeapYear", 0), 1);
    EXPECT_EQ(fresh.date("QvDate_DaysInYear", 0), 366);
    EXPECT_EQ(fresh.date("QvDate_DaysInMonth", 0), 31);
    EXPECT_EQ(fresh.diff("QvDate_GetDiffYears", 0, 3, 1), 1);  // 30 December 0 to 2 January 1
    fresh.setNullDate();
    EXPECT_EQ(fresh.date("QvDate_IsLeapYear", 0), 0);
}

// Whatever a cell holds gets a defined result: NaN counts as 0, the rest saturates to int32,
// and out-of-calendar days clamp to 1 January of year 0 or 31 December 65535.
TEST_F(Worksheet, NonFiniteAndHugeSerials) {
    const double kSubnormal = std::numeric_limits<double>::denorm_min();
    for (double serial : {kNaN, -0.0, kSubnormal, -kSubnormal})
        EXPECT_EQ(addin.date("QvDate_DaysInMonth", serial), 31) << serial;  // the null date
    EXPECT_EQ(addin.diff("QvDate_GetDiffWeeks", -kSubnormal, 7, 0), 1);    // floors to -1
    for (double serial : {kInf, 1e300, 4294967296.0, 23242573.0}) {
        EXPECT_EQ(addin.date("QvDate_DaysInYear", serial), 365) << serial;  // 65535
        // 65535 and 2335 are 158 Gregorian cycles apart.
        EXPECT_EQ(addin.date("QvDate_WeeksInYear", serial), addin.date("QvDate_WeeksInYear", Serial(2335, 6, 1)));
    }
    for (double serial : {-kInf, -1e300, -4294967296.0, -693959.0}) {
        EXPECT_EQ(addin.date("QvDate_IsLeapYear", serial), 1) << serial;  // year 0
        EXPECT_EQ(addin.date("QvDate_DaysInMonth", serial), 31) << serial;
    }
    // Differences use the saturated day numbers exactly, beyond the int32 range.
    const double span = 2147483647.0 - (-2147483648.0 + dfa::kNullDate);
    EXPECT_EQ(addin.diff("QvDate_GetDiffWeeks", -kInf, kInf, 0), std::trunc(span / 7));
    EXPECT_EQ(addin.diff("QvDate_GetDiffWeeks", kInf, -kInf, 0), -std::trunc(span / 7));
    EXPECT_EQ(addin.diff("QvDate_GetDiffYears", -kInf, kInf, 1), 65535);
    EXPECT_EQ(addin.diff("QvDate_GetDiffMonths", kInf, -kInf, 0), -(65535 * 12 + 11));
    EXPECT_EQ(addin.diff("QvDate_GetDiffWeeks", kNaN, 7, 1), 1);
}

TEST_F(Worksheet, NullPointers) {
    const double serial = Serial(2000, 1, 1), mode = 1;
    // A missing date is day number 0 for the differences, the null date for one-date functions.
    double r = -1;
    addin.get<dfa_DiffFunction_fn>("QvDate_GetDiffYears")(&r, nullptr, &serial, &mode);
    EXPECT_EQ(r, 2000);
    addin.get<dfa_DiffFunction_fn>("QvDate_GetDiffYears")(&r, &serial, &serial, nullptr);
    EXPECT_EQ(r, 0);
    addin.get<dfa_DateFunction_fn>("QvDate_DaysInMonth")(&r, nullptr);
    EXPECT_EQ(r, 31);
}

// Only a crash can fail this: with no result pointer there is nothing to look at.
TEST_F(Worksheet, NullResultPointerDoesNotCrash) {
    const double serial = Serial(2000, 1, 1), mode = 1;
    for (const char* entry : {"QvDate_GetDiffWeeks", "QvDate_GetDiffMonths", "QvDate_GetDiffYears"})
        addin.get<dfa_DiffFunction_fn>(entry)(nullptr, &serial, &serial, &mode);
    for (const char* entry : {"QvDate_IsLeapYear", "QvDate_DaysInMonth", "QvDate_DaysInYear", "QvDate_WeeksInYear"})
        addin.get<dfa_DateFunction_fn>(entry)(nullptr, &serial);
}

using WorksheetSweep = Worksheet;

// Every day of the calendar, years 1 to 65535, against std::chrono, ISO weeks derived from the
// Mondays of week 1. Past the years std::chrono counts, a day is held against the day a whole
// number of 400-year cycles (146097 days, whole weeks) earlier, the Gregorian calendar's period.
TEST_F(WorksheetSweep, OneDateFunctionsAgreeWithChrono) {
    auto week1Monday = [](int y) {
        const sys_days jan4{year{y} / 1 / 4};
        return jan4 - (weekday{jan4} - Monday);
    };
    // Resolved once: the sweep makes a hundred million calls.
    const auto call = [](dfa_DateFunction_fn fn, double serial) {
        double r = -1;
        fn(&r, &serial);
        return r;
    };
    const auto isLeapYear = addin.get<dfa_DateFunction_fn>("QvDate_IsLeapYear");
    const auto daysInYear = addin.get<dfa_DateFunction_fn>("QvDate_DaysInYear");
    const auto daysInMonth = addin.get<dfa_DateFunction_fn>("QvDate_DaysInMonth");
    const auto weeksInYear = addin.get<dfa_DateFunction_fn>("QvDate_WeeksInYear");
    for (int y = 1; y <= 65535; ++y) {
        const int cycles = y <= 9999 ? 0 : (y - 9600) / 400;
        const int same = y - 400 * cycles;  // a year std::chrono counts, with the same calendar
        const double shift = 146097.0 * cycles;
        const year_month_day first{year{same} / 1 / 1};
        const double weeks = static_cast<double>((week1Monday(same + 1) - week1Monday(same)).count() / 7);
        const double leap = first.year().is_leap() ? 1 : 0;
        for (sys_days d{first}; d < sys_days{year{same + 1} / 1 / 1}; d += days{1}) {
            if (y == 1 && d == sys_days{first}) continue;  // day number 1 reads as 31 December of year 0
            // A time of day that truncation toward zero drops, on either side of the null date.
            const double whole = static_cast<double>((d - sys_days{1899y / 12 / 30}).count()) + shift;
            const double serial = whole + std::copysign(0.75, whole);
            const double monthLength = static_cast<double>(unsigned{year_month_day_last{year_month_day{d}.year() / year_month_day{d}.month() / last}.day()});
            ASSERT_EQ(call(isLeapYear, serial), leap) << serial;
            ASSERT_EQ(call(daysInYear, serial), 365 + leap) << serial;
            ASSERT_EQ(call(daysInMonth, serial), monthLength) << serial;
            ASSERT_EQ(call(weeksInYear, serial), weeks) << serial;
        }
    }
}

}  // namespace
