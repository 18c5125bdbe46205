// SPDX-License-Identifier: MIT
#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "function_catalog.h"
#include "printable.h"
#include "report.h"
#include "serial_date.h"

namespace dfa_host {

namespace {

// Texts of the add-in are at most 255 bytes: shown whole, escaped.
std::string AddinText(const std::string& text) { return "\"" + Printable(text, DFA_TEXT_BUFFER_SIZE) + "\""; }

// Evaluates ENTRY ARG...; returns an error message, or an empty string with the result set.
std::string Evaluate(const Addin& addin, const std::vector<std::string_view>& words, double& result) {
    const FunctionInfo* f = addin.find(words[0]);
    if (!f) return "unknown entry name '" + Printable(words[0]) + "'";
    const std::string entry = Printable(f->entryName);
    if (words.size() - 1 != f->inputs)
        return entry + " takes " + std::to_string(f->inputs) + " argument(s), got " + std::to_string(words.size() - 1);
    std::vector<double> args;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const Argument arg = ParseArgument(words[i]);
        if (!arg.value) return "argument " + std::to_string(i) + " '" + Printable(words[i]) + "': " + arg.error;
        args.push_back(*arg.value);
    }
    result = addin.call(*f, args);
    return {};
}

void PrintResult(double result) { std::printf("%.17g\n", result); }

std::vector<std::string_view> Words(std::string_view line) {
    constexpr std::string_view kBlank = " \t\r\n\v\f";
    std::vector<std::string_view> words;
    for (std::size_t start = line.find_first_not_of(kBlank); start != std::string_view::npos;) {
        const std::size_t end = std::min(line.find_first_of(kBlank, start), line.size());
        words.push_back(line.substr(start, end - start));
        start = line.find_first_not_of(kBlank, end);
    }
    return words;
}

// Reads one line of at most kMaxLineBytes into line, without its line feed; the rest of a
// longer line is read and dropped, so that memory stays the same whatever the input. A read
// that fails (kError, with errno) ends the batch as surely as the end of the input does.
enum class LineRead { kLine, kTooLong, kEnd, kError };

LineRead ReadLine(std::FILE* in, std::string& line) {
    line.clear();
    std::size_t length = 0;
    int c;
    while ((c = getc_unlocked(in)) != EOF && c != '\n')
        if (++length <= kMaxLineBytes) line += static_cast<char>(c);
    if (c == EOF && std::ferror(in)) return LineRead::kError;
    if (c == EOF && length == 0) return LineRead::kEnd;
    return length > kMaxLineBytes ? LineRead::kTooLong : LineRead::kLine;
}

// One call per line. A line that fails reports itself and prints the placeholder, so that the
// results stay aligned with the calls; the batch fails if any line did. Lines of a file are
// named FILE:N, lines of standard input "line N". A byte-order mark at the start of the input,
// which editors may write, is skipped.
int CallBatch(const Addin& addin, std::FILE* in, const std::string& name) {
    const std::string where = name.empty() ? "line " : name + ":";
    constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";
    int status = 0;
    std::string line;
    line.reserve(kMaxLineBytes);
    LineRead read;
    long lineNo = 1;
    for (; (read = ReadLine(in, line)) != LineRead::kEnd && read != LineRead::kError && !std::ferror(stdout); ++lineNo) {
        std::string_view text = line;
        if (lineNo == 1 && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
        const auto words = Words(text);
        if (read == LineRead::kLine && (words.empty() || words[0].starts_with('#'))) continue;
        double result = 0.0;
        std::string error = read == LineRead::kTooLong
                                ? "line longer than " + std::to_string(kMaxLineBytes) + " bytes"
                                : Evaluate(addin, words, result);
        if (!error.empty()) {
            Report(where + std::to_string(lineNo) + ": " + error);
            std::puts("error");
            status = kExitFailure;
        } else {
            PrintResult(result);
        }
    }
    if (read == LineRead::kError) {
        Report("cannot read " + (name.empty() ? "standard input" : name) + " at line " + std::to_string(lineNo) +
               ": " + std::strerror(errno));
        status = kExitFailure;
    }
    return FinishOutput() != 0 ? kExitFailure : status;
}

}  // namespace

// The add-in's own texts, each followed by dfa-host's where the add-in gives none.
int List(const Addin& addin) {
    for (const FunctionInfo& f : addin.functions()) {
        std::printf("%u %s  parameters: %zu  types:", f.index, Printable(f.entryName, DFA_TEXT_BUFFER_SIZE).c_str(),
                    f.inputs + 1);
        for (std::size_t p = 0; p <= f.inputs; ++p) std::printf(" %d", DFA_PARAM_DOUBLE_PTR);
        std::printf("  name text: %s\n", AddinText(f.nameText).c_str());
        for (std::size_t p = 0; p < f.parameters.size(); ++p) {
            const ParameterInfo& own = f.parameters[p];
            std::printf("    %zu name: %s  description: %s\n", p, AddinText(own.name).c_str(), AddinText(own.description).c_str());
            if (p == 0 && own.description.empty() && f.nameText.empty())
                if (const CatalogEntry* known = FindInCatalog(f.entryName))
                    std::printf("      (dfa-host's text) %.*s\n", static_cast<int>(known->description.size()),
                                known->description.data());
            if (p > 0 && own.name.empty() && own.description.empty()) {
                const ArgumentText ours = ArgumentTextOf(f, p - 1);
                std::printf("      (dfa-host's text) %.*s: %.*s\n", static_cast<int>(ours.name.size()), ours.name.data(),
                            static_cast<int>(ours.description.size()), ours.description.data());
            }
        }
    }
    return FinishOutput();
}

int Info(const Addin& addin) {
    auto getVersion = reinterpret_cast<dfa_GetVersionInfo_fn>(addin.symbol("GetVersionInfo"));
    auto getDescription = reinterpret_cast<dfa_GetDescription_fn>(addin.symbol("component_getDescriptionFunc"));
    if (!getVersion) {
        Report("the library does not export GetVersionInfo");
        return kExitFailure;
    }
    if (!getDescription) {
        Report("the library does not export component_getDescriptionFunc");
        return kExitFailure;
    }
    static const char* const kLabels[DFA_VERSION_INFO_COUNT] = {
        "build time", "build date", "release number", "milestone", "build number", "output directory"};
    // The record and its texts are the add-in's constant data; none of it is trusted to be
    // there or to end within a sensible length.
    const char* const* record = getVersion();
    std::printf("version record:%s\n", record ? "" : " (none: GetVersionInfo returned null)");
    for (int i = 0; record && i < DFA_VERSION_INFO_COUNT; ++i) {
        const char* value = record[i];
        std::printf("  %d %-17s %s\n", i, kLabels[i],
                    value ? Printable(std::string_view(value, strnlen(value, 256)), 255).c_str() : "(null)");
    }
    constexpr std::size_t kMaxDescription = 64 * 1024;
    const char* description = getDescription();
    if (description)
        std::printf("component description:\n%s",
                    Printable(std::string_view(description, strnlen(description, kMaxDescription + 1)),
                              kMaxDescription, Layout::kKeepLines)
                        .c_str());
    else
        std::printf("component description: (none: component_getDescriptionFunc returned null)\n");
    return FinishOutput();
}

int Call(const Addin& addin, const std::vector<std::string>& args) {
    if (args[0] == "-") {
        if (args.size() == 1 || args[1] == "-") return CallBatch(addin, stdin, "");
        const std::string name = PrintablePath(args[1]);
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(args[1].c_str(), "r"), std::fclose);
        if (!file) {
            Report("cannot open " + name + ": " + std::strerror(errno));
            return kExitFailure;
        }
        return CallBatch(addin, file.get(), name);
    }
    const std::vector<std::string_view> words(args.begin(), args.end());
    double result = 0.0;
    if (auto error = Evaluate(addin, words, result); !error.empty()) {
        Report(error);
        return kExitFailure;
    }
    PrintResult(result);
    return FinishOutput();
}

}  // namespace dfa_host
