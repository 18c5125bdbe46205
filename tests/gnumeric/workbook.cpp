// SPDX-License-Identifier: MIT
#include "workbook.h"

#include <gtest/gtest.h>

#include <algorithm>
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

Recalculated Recalculate(const Workbook& workbook, const std::string& name, const std::vector<std::string>& environment,
                         const std::string& library) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(DFA_TEST_WORK_DIR) / name;
    fs::create_directories(dir);
    Write(workbook, dir / "in.gnumeric");
    // Another add-in: a copy of this build's plugin folder with that library as its libdfa.so.
    fs::path plugins = DFA_GNUMERIC_PLUGIN_PATH;
    if (!library.empty()) {
        plugins = dir / "plugins";
        fs::remove_all(plugins);
        fs::create_directories(plugins / "dfa");
        for (const char* file : {"plugin.xml", "dfa-gnumeric.so", "dfa-probe"})
            fs::create_symlink(fs::path(DFA_GNUMERIC_PLUGIN_PATH) / "dfa" / file, plugins / "dfa" / file);
        fs::create_symlink(library, plugins / "dfa" / "libdfa.so");
    }
    // A home of its own, so that no plugin or setting of the machine's user takes part; the
    // plugin's debug messages say which plugin folder answered, with how many functions.
    std::string command = "env HOME='" + dir.string() + "' GNUMERIC_PLUGIN_PATH='" + plugins.string() + "' G_MESSAGES_DEBUG=dfa";
    for (const std::string& setting : environment) command += " '" + setting + "'";
    command += std::string(" '") + DFA_SSCONVERT + "' --recalc '" + (dir / "in.gnumeric").string() + "' '" +
               (dir / "out.csv").string() + "' 2>'" + (dir / "stderr.txt").string() + "'";
    fs::remove(dir / "out.csv");
    const std::string output = Run(command);  // GLib writes debug messages on standard output
    Recalculated result;
    std::istringstream csv(ReadFile(dir / "out.csv"));
    for (std::string line; std::getline(csv, line);) result.rows.push_back(SplitCsvLine(line));
    result.errors = ReadFile(dir / "stderr.txt");
    std::vector<std::string> debug;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("dfa-DEBUG: ");
        const std::size_t text = at == std::string::npos ? at : line.find(": ", at + 11);  // after the time
        if (text != std::string::npos) debug.push_back(line.substr(text + 2));
    }
    // The plugin of this build (or its copy) must be the one that answered, and the only one,
    // and with this build's add-in it answers for all seven functions: none was left to another
    // plugin, announced or not. Another add-in's count is not this check's.
    const std::string ours = "plugin folder " + (plugins / "dfa").string() + ", add-in ";
    const auto announced = std::count_if(debug.begin(), debug.end(), [](const std::string& m) { return m.starts_with("plugin folder "); });
    if (announced != 1 || !debug.front().starts_with(ours))
        ADD_FAILURE() << "the dfa plugin of this build did not answer alone; another dfa plugin is installed or on "
                         "GNUMERIC_PLUGIN_PATH. ssconvert said:\n" << output << result.errors;
    if (library.empty() && std::find(debug.begin(), debug.end(), "registered 7 functions") == debug.end())
        ADD_FAILURE() << "the dfa plugin of this build did not register all seven functions. ssconvert said:\n"
                      << output << result.errors;
    return result;
}

}  // namespace dfa_test
