// SPDX-License-Identifier: MIT
// Workbooks for the Gnumeric tests: written as Gnumeric's XML, recalculated by ssconvert, read
// back from its CSV.
#pragma once

#include <string>
#include <vector>

namespace dfa_test {

struct Workbook {
    bool use1904 = false;
    std::vector<std::vector<std::string>> rows;  // cell contents: "=formula", or a text
};

struct Recalculated {
    std::vector<std::vector<std::string>> rows;  // the CSV, cell by cell
    std::string errors;                          // what ssconvert wrote on standard error
};

// Recalculates the workbook with ssconvert, which finds the plugin of this build tree (with a
// library, a copy of its folder whose add-in is that library), given extra environment settings
// ("NAME=value"). name names its folder in the work directory.
Recalculated Recalculate(const Workbook& workbook, const std::string& name,
                         const std::vector<std::string>& environment = {}, const std::string& library = {});

// Runs a command through the shell; returns its standard output.
std::string Run(const std::string& command);

}  // namespace dfa_test
