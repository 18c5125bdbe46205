// SPDX-License-Identifier: MIT
// The loader against the misbehaving add-in, row by row of the registration fault table that the
// JavaScript host's tests read too: the same problem lines on both sides.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <string>

#include "addin_loader.h"

namespace {

struct Row {
    std::string faults, first, last;
    std::size_t count = 0;
};

std::vector<Row> ReadTable() {
    std::ifstream in(DFA_FAULT_TABLE);
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        Row row;
        std::size_t a = line.find('\t'), b = line.find('\t', a + 1), c = line.find('\t', b + 1);
        row.faults = line.substr(0, a);
        row.count = std::stoul(line.substr(a + 1, b - a - 1));
        row.first = line.substr(b + 1, c - b - 1);
        row.last = line.substr(c + 1);
        rows.push_back(row);
    }
    return rows;
}

TEST(RegistrationFaults, EachRowGivesItsProblems) {
    const auto rows = ReadTable();
    ASSERT_GE(rows.size(), 10u);
    for (const Row& row : rows) {
        ASSERT_EQ(setenv("DFA_TEST_FAULTS", row.faults.c_str(), 1), 0);
        dfa_host::Addin addin(DFA_MISBEHAVING_ADDIN, 0x0409);
        ASSERT_TRUE(addin.ok()) << addin.error();
        const auto& problems = addin.problems();
        ASSERT_EQ(problems.size(), row.count) << row.faults;
        if (row.count == 0) continue;
        EXPECT_EQ(problems.front(), row.first) << row.faults;
        EXPECT_EQ(problems.back(), row.last.empty() ? row.first : row.last) << row.faults;
    }
    unsetenv("DFA_TEST_FAULTS");
}

}  // namespace
