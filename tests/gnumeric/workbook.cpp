// SPDX-License-Identifier: MIT
#include "workbook.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace dfa_test {

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

void Write(const Workbook& workbook, const std::filesystem::path& file) {
    std::ofstream out(file);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gnm:Workbook xmlns:gnm=\"http://www.gnumeric.org/v10.dtd\">\n";
    if (workbook.use1904) out << "  <gnm:DateConvention>1904</gnm:DateConvention>\n";
    out << "  <gnm:SheetNameIndex><gnm:SheetName>Sheet1</gnm:SheetName></gnm:SheetNameIndex>\n"
           "  <gnm:Sheets><gnm:Sheet><gnm:Name>Sheet1</gnm:Name><gnm:Cells>\n";
    for (std::size_t r = 0; r < workbook.rows.size(); ++r)
        for (std::size_t c = 0; c < workbook.rows[r].size(); ++c) {
            const std::string& cell = workbook.rows[r][c];
            if (cell.empty()) continue;
            // Texts are strings (value type 60); formulas have no value type.
            out << "    <gnm:Cell Row=\"" << r << "\" Col=\"" << c << "\""
                << (cell[0] == '=' ? "" : " ValueType=\"60\"") << ">" << Escaped(cell) << "</gnm:Cell>\n";
        }
    out << "  </gnm:Cells></gnm:Sheet></gnm:Sheets>\n</gnm:Workbook>\n";
}

// ssconvert's CSV: cells separated by commas, quoted where they hold one.
std::vector<std::string> SplitCsvLine(const std::string& line) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            cells.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string Run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return {};
    }
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) out.append(buffer, n);
    return out;
}

Recalculated Recalculate(const Workbook& workbook, const std::string& name, const std::vector<std::string>& environment) {
    const std::filesystem::path dir = std::filesystem::path(DFA_TEST_WORK_DIR) / name;
    std::filesystem::create_directories(dir);
    Write(workbook, dir / "in.gnumeric");
    // A home of its own, so that no plugin or setting of the machine's user takes part.
    std::string command = "env HOME='" + dir.string() + "' GNUMERIC_PLUGIN_PATH='" + DFA_GNUMERIC_PLUGIN_PATH +
                          "' DFA_GNUMERIC_VERBOSE=1";
    for (const std::string& setting : environment) command += " '" + setting + "'";
    command += std::string(" '") + DFA_SSCONVERT + "' --recalc '" + (dir / "in.gnumeric").string() + "' '" +
               (dir / "out.csv").string() + "' 2>'" + (dir / "stderr.txt").string() + "'";
    std::filesystem::remove(dir / "out.csv");
    Run(command);
    Recalculated result;
    std::istringstream csv(ReadFile(dir / "out.csv"));
    for (std::string line; std::getline(csv, line);) result.rows.push_back(SplitCsvLine(line));
    result.errors = ReadFile(dir / "stderr.txt");
    // The plugin of this build must be the one that answered, and the only one.
    const std::string ours = std::string("dfa: plugin folder ") + DFA_GNUMERIC_PLUGIN_PATH + "/dfa, add-in ";
    const std::size_t at = result.errors.find(ours);
    if (at == std::string::npos || result.errors.find("dfa: plugin folder ", at + 1) != std::string::npos ||
        result.errors.find("dfa: plugin folder ") != at) {
        ADD_FAILURE() << "the dfa plugin of this build did not answer alone; another dfa plugin is installed or on "
                         "GNUMERIC_PLUGIN_PATH. ssconvert said:\n" << result.errors;
    } else {
        result.errors.erase(at, result.errors.find('\n', at) + 1 - at);
    }
    // With this build's add-in it answers for all seven functions: none was left to another plugin,
    // announced or not. Another add-in's count is not this check's.
    const bool ownAddin = std::none_of(environment.begin(), environment.end(),
                                       [](const std::string& s) { return s.starts_with("DFA_GNUMERIC_LIBRARY="); });
    const std::string all = "dfa: registered 7 functions\n";
    const std::size_t count = result.errors.find("dfa: registered ");
    if (ownAddin && (count == std::string::npos || result.errors.compare(count, all.size(), all) != 0))
        ADD_FAILURE() << "the dfa plugin of this build did not register all seven functions. ssconvert said:\n"
                      << result.errors;
    if (count != std::string::npos) result.errors.erase(count, result.errors.find('\n', count) + 1 - count);
    return result;
}

}  // namespace dfa_test
