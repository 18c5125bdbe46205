// SPDX-License-Identifier: MIT
#include "options.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "addin_probe.h"
#include "commands.h"
#include "printable.h"
#include "report.h"

namespace dfa_host {

std::string Usage() {
    return "usage: dfa-host [--lib PATH] [--lang ID] COMMAND\n"
           "       dfa-host --help | --version\n"
           "  list                 the function table the add-in registers\n"
           "  call ENTRY ARG...    evaluate one worksheet function; ARG is a serial number or a date\n"
           "                       YYYY-MM-DD (a year of 4 or 5 digits, optionally with a leading +)\n"
           "  call - [FILE]        evaluate one call per line (ENTRY ARG...) of FILE or standard input;\n"
           "                       blank lines and lines starting with # are skipped, a line that fails\n"
           "                       (or is too long: " + std::to_string(kMaxLineBytes) + " bytes at most) prints 'error' in its place\n"
           "  info                 the version record and the component description\n"
           "  check                try the add-in in a process of its own first (handshake and a few calls of\n"
           "                       every function, " + std::to_string(kProbeSeconds) + " seconds), then load it: 'ok' or what is wrong\n"
           "options:\n"
           "  --lib PATH           the add-in to load (default: libdfa.so of this installation)\n"
           "  --lang ID            the host's language id, 0 to 0xFFFF (default: 0x0409)\n"
           "  -h, --help           print this help and exit\n"
           "  --version            print the version and exit\n";
}

namespace {

ParsedCommandLine UsageError(const std::string& message) {
    Report(message);
    std::fputs(Usage().c_str(), stderr);
    return {std::nullopt, kExitFailure};
}

// A language id in decimal, octal (0...) or hexadecimal (0x...): digits only, no sign or blank.
std::optional<uint16_t> ParseLanguage(std::string_view text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    const std::string copy(text);
    char* end = nullptr;
    const unsigned long id = std::strtoul(copy.c_str(), &end, 0);
    if (*end != '\0' || id > 0xFFFF) return std::nullopt;
    return static_cast<uint16_t>(id);
}

bool LooksLikeOption(std::string_view arg) { return arg.starts_with("--") || arg == "-h"; }

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, char** argv) {
    enum { kLib = 256, kLang, kVersion };
    static const option kLongOptions[] = {
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, kVersion},
        {"lib", required_argument, nullptr, kLib},
        {"lang", required_argument, nullptr, kLang},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    opterr = 0;  // getopt's own messages would echo arguments unescaped
    // "+": options end at the command, so that negative numbers after it stay arguments.
    for (int c; (c = getopt_long(argc, argv, "+:h", kLongOptions, nullptr)) != -1;) {
        switch (c) {
            case 'h':
                std::fputs(Usage().c_str(), stdout);
                return {std::nullopt, FinishOutput()};
            case kVersion:
                std::printf("dfa-host (dfa) %s\n", DFA_VERSION);
                return {std::nullopt, FinishOutput()};
            case kLib:
                if (*optarg == '\0') return UsageError("--lib needs a path");
                options.libPath = optarg;
                break;
            case kLang:
                if (auto id = ParseLanguage(optarg)) {
                    options.language = *id;
                    break;
                }
                return UsageError("--lang needs a language id 0 to 0xFFFF, got '" + Printable(optarg) + "'");
            case ':':
                return UsageError(Printable(argv[optind - 1]) + " needs a value");
            default:
                return UsageError("unknown option " + Printable(argv[optind - 1]));
        }
    }
    if (optind >= argc) return UsageError("no command");
    options.command = argv[optind];
    options.args.assign(argv + optind + 1, argv + argc);
    if (options.command != "list" && options.command != "call" && options.command != "info" &&
        options.command != "check")
        return UsageError("unknown command '" + Printable(options.command) + "'");
    for (const std::string& arg : options.args)
        if (LooksLikeOption(arg))
            return UsageError("option " + Printable(arg) + " after the command; options go before it");
    const auto& args = options.args;
    if (options.command != "call" && !args.empty()) return UsageError(options.command + " takes no arguments");
    if (options.command == "call" && args.empty()) return UsageError("call needs an entry name, or - for one call per line");
    if (options.command == "call" && args[0] == "-" && args.size() > 2)
        return UsageError("call - reads one file, got " + std::to_string(args.size() - 1));
    return {std::move(options), 0};
}

}  // namespace dfa_host
