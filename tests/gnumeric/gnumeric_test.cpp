// SPDX-License-Identifier: MIT
// The add-in inside a real spreadsheet: workbooks recalculated by Gnumeric's ssconvert with the
// plugin, compared cell by cell with what dfa-host computes for the same days, and with
// Gnumeric's own date functions.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "function_catalog.h"
#include "workbook.h"

namespace {

using namespace std::chrono;
using dfa_test::Recalculate;
using dfa_test::Workbook;

// What a workbook's serial means in the add-in's serials: the day it names, counted from the
// date system's own day 0, and its time of day. The 1900 system's 0 is 31 December 1899, and
// its 60 is a 29 February 1900 that never was, after which it is the add-in's count.
std::optional<double> AddinSerial(double serial, bool use1904) {
    const double whole = std::floor(serial), time = serial - whole;
    const days n{static_cast<long>(whole)};
    sys_days day;
    if (use1904)
        day = sys_days{1904y / 1 / 1} + n;
    else if (whole < 60)
        day = sys_days{1899y / 12 / 31} + n;
    else if (whole == 60)
        return std::nullopt;
    else
        day = sys_days{1899y / 12 / 30} + n;
    return static_cast<double>((day - sys_days{1899y / 12 / 30}).count()) + time;
}

std::string Number(double x) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", x);
    return text;
}

// An argument as a cell formula writes it, and what the function sees of it: a number, or the
// error the cell gets instead.
struct Arg {
    std::string formula;
    double value = 0;
    std::string error;
};

Arg Num(double x) { return {Number(x), x, {}}; }

// Cells the workbooks keep in column Z, which the arguments refer to.
const std::vector<std::string> kHelperCells = {"abc", "38046", "=1/0", "1"};
const Arg kEmpty{"$Y$1", 0, {}};          // a cell nobody filled: 0
const Arg kText{"$Z$1", 0, "#VALUE!"};    // text that is no number
const Arg kNumericText{"$Z$2", 38046, {}};
const Arg kError{"$Z$3", 0, "#DIV/0!"};   // errors pass through
const Arg kTrue{"TRUE", 1, {}};

struct Call {
    std::string entry;
    std::vector<Arg> args;  // dates, then the mode of a difference
};

const char* const kOneDate[] = {"QvDate_IsLeapYear", "QvDate_DaysInMonth", "QvDate_DaysInYear", "QvDate_WeeksInYear"};
const char* const kDiffs[] = {"QvDate_GetDiffWeeks", "QvDate_GetDiffMonths", "QvDate_GetDiffYears"};

// Recalculates the calls in a workbook of the given date system and runs the same calls, on the
// same days, through dfa-host. Returns the number of cells compared.
std::size_t CompareWithHost(const std::vector<Call>& calls, bool use1904, const std::string& name) {
    Workbook workbook{use1904, {}};
    std::ostringstream batch;
    std::vector<std::string> expected(calls.size());
    std::vector<std::size_t> hostLine(calls.size(), SIZE_MAX);
    std::size_t hostLines = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call& call = calls[i];
        std::string formula = "=" + call.entry + "(", line = call.entry;
        for (std::size_t a = 0; a < call.args.size(); ++a) {
            const Arg& arg = call.args[a];
            formula += (a ? "," : "") + arg.formula;
            const bool isDate = a < 2;  // a difference's third argument is its mode
            const auto serial = isDate ? AddinSerial(arg.value, use1904) : std::optional<double>(arg.value);
            if (expected[i].empty() && !arg.error.empty()) expected[i] = arg.error;
            if (expected[i].empty() && !serial) expected[i] = "#VALUE!";  // the phantom 29 February
            line += " " + Number(serial.value_or(0));
        }
        workbook.rows.push_back({formula + ")"});
        if (expected[i].empty()) {
            batch << line << "\n";
            hostLine[i] = hostLines++;
        }
    }
    for (std::size_t r = 0; r < kHelperCells.size(); ++r) workbook.rows[r].resize(26), workbook.rows[r][25] = kHelperCells[r];

    const std::string batchFile = std::string(DFA_TEST_WORK_DIR) + "/" + name + ".calls";
    std::ofstream(batchFile) << batch.str();
    std::istringstream host(dfa_test::Run(std::string("'") + DFA_HOST + "' call - '" + batchFile + "'"));
    std::vector<std::string> hostResults;
    for (std::string line; std::getline(host, line);) hostResults.push_back(line);
    EXPECT_EQ(hostResults.size(), hostLines);

    const auto sheet = Recalculate(workbook, name);
    EXPECT_EQ(sheet.rows.size(), calls.size()) << sheet.errors;
    std::size_t compared = 0;
    for (std::size_t i = 0; i < calls.size() && i < sheet.rows.size(); ++i) {
        const std::string& cell = sheet.rows[i][0];
        if (hostLine[i] != SIZE_MAX && hostLine[i] < hostResults.size()) expected[i] = hostResults[hostLine[i]];
        const bool same = expected[i].starts_with('#') ? cell == expected[i]
                                                        : std::strtod(cell.c_str(), nullptr) == std::strtod(expected[i].c_str(), nullptr) &&
                                                              !cell.starts_with('#');
        EXPECT_TRUE(same) << workbook.rows[i][0] << " gives " << cell << ", dfa-host " << expected[i];
        compared += same;
    }
    std::printf("%s: %zu cells agree with dfa-host\n", name.c_str(), compared);
    return compared;
}

std::vector<Call> AllKinds(const std::vector<double>& dates, const std::vector<double>& modes) {
    std::vector<Arg> dateArgs;
    for (double d : dates) dateArgs.push_back(Num(d));
    std::vector<Call> calls;
    for (const Arg& a : dateArgs) {
        for (const char* entry : kOneDate) calls.push_back({entry, {a}});
        for (const Arg& b : dateArgs)
            for (double mode : modes)
                for (const char* entry : kDiffs) calls.push_back({entry, {a, b, Num(mode)}});
    }
    // What else a cell can hold, in each position.
    for (const Arg& special : {kEmpty, kText, kNumericText, kError, kTrue}) {
        for (const char* entry : kOneDate) calls.push_back({entry, {special}});
        for (const char* entry : kDiffs)
            for (double mode : {0.0, 1.0}) {
                calls.push_back({entry, {special, Num(40000.5), Num(mode)}});
                calls.push_back({entry, {Num(40000.5), special, Num(mode)}});
            }
        for (const char* entry : kDiffs) calls.push_back({entry, {Num(38046), Num(40000.5), special}});
    }
    return calls;
}

TEST(Gnumeric, Workbook1900AgreesWithHost) {
    const std::vector<double> dates = {-700000, -693959.5, -36524.25, -1.5, -0.25, 0, 0.5, 1, 59.75, 60.5, 61,
                                       366.5, 37987.75, 38046, 45999.999, 2958465.5, 23242572, 1e9};
    EXPECT_GE(CompareWithHost(AllKinds(dates, {0, 1, 1.9, 2, -1}), false, "workbook-1900"), 2000u);
}

TEST(Gnumeric, Workbook1904AgreesWithHost) {
    const std::vector<double> dates = {-695422, -1462.5, -1, -0.25, 0, 0.75, 59, 60, 61, 36525.5, 44000, 2957003};
    EXPECT_GE(CompareWithHost(AllKinds(dates, {0, 1, 1.9, 2, -1}), true, "workbook-1904"), 1000u);
}

// The 1900 system's first serials: 0 is 31 December 1899, 1 is 1 January 1900, 59 is
// 28 February, 60 the day that never was, 61 is 1 March 1900.
TEST(Gnumeric, First61SerialsOf1900) {
    std::vector<Call> calls;
    for (int n = 0; n <= 61; ++n)
        for (double serial : {n + 0.0, n + 0.5}) {
            for (const char* entry : kOneDate) calls.push_back({entry, {Num(serial)}});
            for (const char* entry : kDiffs) calls.push_back({entry, {Num(serial), Num(75.25), Num(0)}});
            calls.push_back({"QvDate_GetDiffWeeks", {Num(-3), Num(serial), Num(1)}});
        }
    EXPECT_GE(CompareWithHost(calls, false, "first-61-serials"), 900u);
}

// Gnumeric's own date functions are an oracle from 1 March 1900 on, with the first date not
// after the second: DATEDIF's complete months and years, the last day of the month, the ISO
// week of 28 December, whether 29 February exists.
TEST(Gnumeric, AgreesWithGnumericsOwnFunctions) {
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> day(61, 2958465);  // 1 March 1900 .. 31 December 9999
    Workbook workbook;
    for (int i = 0; i < 400; ++i) {
        int a = day(rng), b = day(rng);
        if (i % 4 == 0) b = std::min(a + static_cast<int>(rng() % 800), 2958465);  // near pairs
        if (a > b) std::swap(a, b);
        const std::string x = std::to_string(a), y = std::to_string(b), ab = x + "," + y;
        workbook.rows.push_back({
            "=QvDate_GetDiffMonths(" + ab + ",0)", "=DATEDIF(" + ab + ",\"m\")",
            "=QvDate_GetDiffYears(" + ab + ",0)", "=DATEDIF(" + ab + ",\"y\")",
            "=QvDate_GetDiffWeeks(" + ab + ",0)", "=INT((" + y + "-" + x + ")/7)",
            "=QvDate_DaysInMonth(" + x + ")", "=DAY(EOMONTH(" + x + ",0))",
            "=QvDate_WeeksInYear(" + x + ")", "=ISOWEEKNUM(DATE(YEAR(" + x + "),12,28))",
            "=QvDate_DaysInYear(" + y + ")", "=IF(MONTH(DATE(YEAR(" + y + "),2,29))=2,366,365)",
            "=QvDate_IsLeapYear(" + y + ")", "=IF(MONTH(DATE(YEAR(" + y + "),2,29))=2,1,0)",
        });
    }
    const auto sheet = Recalculate(workbook, "own-functions");
    ASSERT_EQ(sheet.rows.size(), workbook.rows.size()) << sheet.errors;
    std::size_t agreed = 0;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r)
        for (std::size_t c = 0; c + 1 < workbook.rows[r].size(); c += 2) {
            const auto& cells = sheet.rows[r];
            ASSERT_GT(cells.size(), c + 1);
            EXPECT_EQ(cells[c], cells[c + 1]) << workbook.rows[r][c] << " vs " << workbook.rows[r][c + 1];
            agreed += cells[c] == cells[c + 1] && !cells[c].starts_with('#');
        }
    std::printf("%zu pairs of cells agree with Gnumeric's own functions\n", agreed);
    EXPECT_EQ(agreed, 400u * 7);
}

// The example each function's help shows gives, in Gnumeric, the result the catalog states.
TEST(Gnumeric, HelpExamplesGiveTheirResults) {
    Workbook workbook{false, {}};
    std::vector<double> expected;
    for (const char* entry : {"QvDate_GetDiffWeeks", "QvDate_GetDiffMonths", "QvDate_GetDiffYears", "QvDate_IsLeapYear",
                              "QvDate_DaysInMonth", "QvDate_DaysInYear", "QvDate_WeeksInYear"}) {
        const dfa_host::CatalogEntry* known = dfa_host::FindInCatalog(entry);
        ASSERT_NE(known, nullptr) << entry;
        workbook.rows.push_back({std::string(known->example)});
        expected.push_back(known->exampleResult);
    }
    const auto sheet = Recalculate(workbook, "help-examples");
    ASSERT_EQ(sheet.rows.size(), expected.size()) << sheet.errors;
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(sheet.rows[i][0], Number(expected[i])) << workbook.rows[i][0];
}

TEST(Gnumeric, MissingLibraryIsOneClearMessage) {
    const auto sheet = Recalculate({false, {{"=QvDate_IsLeapYear(1)"}}}, "missing-library", {}, "/nonexistent/libdfa.so");
    EXPECT_NE(sheet.errors.find("dfa: cannot load " + std::string(DFA_TEST_WORK_DIR) +
                                "/missing-library/plugins/dfa/libdfa.so: No such file or directory"),
              std::string::npos)
        << sheet.errors;
    ASSERT_EQ(sheet.rows.size(), 1u);
    EXPECT_EQ(sheet.rows[0][0], "#NAME?");
}

// A misbehaving add-in costs Gnumeric the functions it cannot call, nothing else: not its own
// functions, not its start. (Its inputs are dates to the plugin, so the 1900 system's 1, 2 and
// 5 reach it as 2, 3 and 6.)
TEST(Gnumeric, SurvivesAMisbehavingAddin) {
    const Workbook workbook{false, {{"=Test_Sum3(1,2,3.5)"}, {"=Test_Negate(5)"}, {"=SUM(1,2)"},
                                    {"=DATEDIF(DATE(2000,1,1),DATE(2001,1,1),\"y\")"}}};
    constexpr const char* kRefused = "its functions are not registered";
    const struct { const char* faults; const char* sum; const char* negate; const char* message; } kTable[] = {
        {"", "8.5", "-6", nullptr},
        {"many-params", "#NAME?", "-6", "dfa: function 0 'Test_Sum3' has 65535 parameters"},
        {"unterminated", "8.5", "-6", nullptr},
        {"bad-type", "#NAME?", "-6", "dfa: function 0 'Test_Sum3': parameter 2 has type 7"},
        {"foreign-entry", "8.5", "#NAME?", "dfa: function 1 'abort' is not exported by the library"},
        {"escapes", "8.5", "-6", nullptr},
        {"builtin-name", "8.5", "#NAME?", "dfa: the add-in's function SUM is already a Gnumeric function; not registered"},
        {"plugin-name", "#NAME?", "-6", "dfa: the add-in's function DATEDIF is already a Gnumeric function; not registered"},
        {"hang", "#NAME?", "#NAME?", "did not finish its handshake and first calls within 2 seconds"},
        {"abort", "#NAME?", "#NAME?", "crashed (Aborted) in its handshake or first calls"},
        {"abort-on-load", "#NAME?", "#NAME?", "crashed (Aborted) in its handshake or first calls"},
        {"exit", "#NAME?", "#NAME?", "ended the process (status 0) in its handshake or first calls"},
        {"throw", "#NAME?", "#NAME?", "threw an exception in its handshake or first calls"},
    };
    for (const auto& row : kTable) {
        const auto sheet = Recalculate(workbook, std::string("misbehaving-") + row.faults,
                                       {std::string("DFA_TEST_FAULTS=") + row.faults}, DFA_MISBEHAVING_ADDIN);
        ASSERT_EQ(sheet.rows.size(), 4u) << row.faults << ": " << sheet.errors;
        EXPECT_EQ(sheet.rows[0][0], row.sum) << row.faults;
        EXPECT_EQ(sheet.rows[1][0], row.negate) << row.faults;
        EXPECT_EQ(sheet.rows[2][0], "3") << row.faults;  // Gnumeric's own SUM
        EXPECT_EQ(sheet.rows[3][0], "1") << row.faults << ": " << sheet.errors;  // and DATEDIF, of a plugin
        if (row.message) EXPECT_NE(sheet.errors.find(row.message), std::string::npos) << sheet.errors;
        else EXPECT_EQ(sheet.errors.find("dfa:"), std::string::npos) << sheet.errors;
        if (row.sum == std::string("#NAME?") && row.negate == std::string("#NAME?")) {
            EXPECT_NE(sheet.errors.find(kRefused), std::string::npos) << sheet.errors;
        }
    }
}

// An exception out of a cell's call is that cell's error; the rest of the sheet is computed.
TEST(Gnumeric, AnExceptionIsTheCellsError) {
    const auto sheet = Recalculate({false, {{"=Test_Negate(1000)"}, {"=Test_Negate(5)"}, {"=SUM(1,2)"}}}, "throw-on-call",
                                   {"DFA_TEST_FAULTS=throw-on-1000"}, DFA_MISBEHAVING_ADDIN);
    ASSERT_EQ(sheet.rows.size(), 3u) << sheet.errors;
    EXPECT_EQ(sheet.rows[0][0], "#VALUE!");
    EXPECT_EQ(sheet.rows[1][0], "-6");
    EXPECT_EQ(sheet.rows[2][0], "3");
}

// A library cut short would make the loader fault inside Gnumeric: it is refused by name.
TEST(Gnumeric, TruncatedLibraryIsOneClearMessage) {
    const std::string truncated = std::string(DFA_TEST_WORK_DIR) + "/truncated-libdfa.so";
    dfa_test::Run("head -c 20000 '" + std::string(DFA_LIBRARY_PATH) + "' > '" + truncated + "'");
    const auto sheet = Recalculate({false, {{"=1+1"}, {"=QvDate_IsLeapYear(1)"}}}, "truncated-library", {}, truncated);
    ASSERT_EQ(sheet.rows.size(), 2u) << sheet.errors;
    EXPECT_EQ(sheet.rows[0][0], "2");
    EXPECT_EQ(sheet.rows[1][0], "#NAME?");
    EXPECT_NE(sheet.errors.find("dfa: cannot load " + std::string(DFA_TEST_WORK_DIR) +
                                "/truncated-library/plugins/dfa/libdfa.so: is truncated"),
              std::string::npos)
        << sheet.errors;
}

}  // namespace
