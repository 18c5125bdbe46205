// SPDX-License-Identifier: MIT
// dfa-host: stands in for a spreadsheet host. Loads libdfa.so, runs the registration handshake
// and evaluates worksheet functions by their registered entry names.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "addin_loader.h"
#include "serial_date.h"

namespace {

using dfa_host::Addin;
using dfa_host::FunctionInfo;

constexpr int kExitError = 2;
constexpr uint16_t kDefaultLanguage = 0x0409;

const char* const kUsage =
    "usage: dfa-host [--lib PATH] [--lang ID] COMMAND\n"
    "  list                 the function table the add-in registers\n"
    "  call ENTRY ARG...    evaluate one worksheet function; ARG is a serial number or YYYY-MM-DD\n"
    "  call -               evaluate one call per line of standard input (ENTRY ARG...)\n"
    "  info                 the version record and the component description\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "dfa-host: %s\n", message.c_str());
    return kExitError;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

int List(const Addin& addin) {
    for (const FunctionInfo& f : addin.functions()) {
        std::printf("%u %s  parameters: %zu  types:", f.index, f.entryName.c_str(), f.paramTypes.size());
        for (int32_t type : f.paramTypes) std::printf(" %d", type);
        std::printf("  name text: %s\n", Quoted(f.nameText).c_str());
        for (std::size_t p = 0; p < f.parameters.size(); ++p)
            std::printf("    %zu name: %s  description: %s\n", p, Quoted(f.parameters[p].name).c_str(),
                        Quoted(f.parameters[p].description).c_str());
    }
    return 0;
}

// Evaluates ENTRY ARG...; returns an error message, or an empty string with the result set.
std::string Evaluate(const Addin& addin, const std::vector<std::string>& words, double& result) {
    const FunctionInfo* f = addin.find(words[0]);
    if (!f) return "unknown entry name '" + words[0] + "'";
    const std::size_t expected = f->paramTypes.size() - 1;  // the result pointer is not an argument
    if (words.size() - 1 != expected)
        return words[0] + " takes " + std::to_string(expected) + " argument(s), got " +
               std::to_string(words.size() - 1);
    if (expected != 1 && expected != 3) return words[0] + ": unsupported parameter count";
    for (int32_t type : f->paramTypes)
        if (type != DFA_PARAM_DOUBLE_PTR) return words[0] + ": unsupported parameter type " + std::to_string(type);
    std::vector<double> args;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const auto value = dfa_host::ParseSerial(words[i]);
        if (!value) return "argument " + std::to_string(i) + " '" + words[i] + "' is neither a number nor a date YYYY-MM-DD";
        args.push_back(*value);
    }
    result = addin.call(*f, args);
    return {};
}

void PrintResult(double result) { std::printf("%.17g\n", result); }

int CallBatch(const Addin& addin) {
    std::string line;
    for (int lineNo = 1; std::getline(std::cin, line); ++lineNo) {
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        if (words.empty() || words[0][0] == '#') continue;
        double result = 0.0;
        if (auto error = Evaluate(addin, words, result); !error.empty())
            return Fail("line " + std::to_string(lineNo) + ": " + error);
        PrintResult(result);
    }
    return 0;
}

int Info(const Addin& addin) {
    auto getVersion = reinterpret_cast<dfa_GetVersionInfo_fn>(addin.symbol("GetVersionInfo"));
    auto getDescription = reinterpret_cast<dfa_GetDescription_fn>(addin.symbol("component_getDescriptionFunc"));
    if (!getVersion) return Fail("the library does not export GetVersionInfo");
    if (!getDescription) return Fail("the library does not export component_getDescriptionFunc");
    static const char* const kLabels[DFA_VERSION_INFO_COUNT] = {
        "build time", "build date", "release number", "milestone", "build number", "output directory"};
    const char* const* record = getVersion();
    std::printf("version record:\n");
    for (int i = 0; i < DFA_VERSION_INFO_COUNT; ++i)
        std::printf("  %d %-17s %s\n", i, kLabels[i], record[i] ? record[i] : "(null)");
    std::printf("component description:\n%s", getDescription());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string libPath;
    uint16_t language = kDefaultLanguage;
    std::size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); i += 2) {
        if (i + 1 >= args.size()) return Fail(args[i] + " needs a value\n" + kUsage);
        if (args[i] == "--lib") {
            libPath = args[i + 1];
        } else if (args[i] == "--lang") {
            char* end = nullptr;
            const unsigned long id = std::strtoul(args[i + 1].c_str(), &end, 0);
            if (*end || id > 0xFFFF) return Fail("--lang needs a language id 0..0xFFFF");
            language = static_cast<uint16_t>(id);
        } else {
            return Fail("unknown option " + args[i] + "\n" + kUsage);
        }
    }
    if (i >= args.size()) return Fail(std::string("no command\n") + kUsage);
    const std::string command = args[i];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    if (command != "list" && command != "call" && command != "info")
        return Fail("unknown command '" + command + "'\n" + kUsage);
    if (command == "call" && rest.empty()) return Fail("call needs an entry name or -");

    const Addin addin(libPath.empty() ? dfa_host::DefaultLibraryPath() : libPath, language);
    if (!addin.ok()) return Fail(addin.error());

    if (command == "list") return List(addin);
    if (command == "info") return Info(addin);
    if (rest[0] == "-" && rest.size() == 1) return CallBatch(addin);
    double result = 0.0;
    if (auto error = Evaluate(addin, rest, result); !error.empty()) return Fail(error);
    PrintResult(result);
    return 0;
}
