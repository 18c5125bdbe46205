// SPDX-License-Identifier: MIT
// What hosts echo from outside reaches a terminal harmless and short.
#include "printable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dfa_host::Layout;
using dfa_host::Printable;

TEST(Printable, EscapesWhatATerminalWouldActOn) {
    const struct { std::string in, out; } kTable[] = {
        {"QvDate_IsLeapYear", "QvDate_IsLeapYear"},
        {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},    // retitles the terminal
        {"\x1b[2J", "\\x1b[2J"},                        // clears it
        {std::string("a\0b", 3), "a\\x00b"},
        {"tab\tline\nDEL\x7f", "tab\\x09line\\x0aDEL\\x7f"},
        {"back\\slash \"quoted\"", "back\\\\slash \\\"quoted\\\""},
        {"Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac \xf0\x9f\x93\x85", "Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac \xf0\x9f\x93\x85"},
        {"\xc2\x9b" "2J", "\\u009b2J"},                 // C1 control sequence introducer
        {"abc\xe2\x80\xae" "fed", "abc\\u202efed"},     // right-to-left override
        {"\xff\xfe", "\\xff\\xfe"},                     // not UTF-8
        {"\xc0\xaf", "\\xc0\\xaf"},                     // overlong "/"
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},            // a surrogate
        {"\xe2\x82", "\\xe2\\x82"},                     // cut short
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},   // beyond U+10FFFF
        // Shown as nothing or as something else: byte-order mark, zero-width space, no-break
        // and ideographic spaces, hyphen, en dash, minus sign.
        {"\xef\xbb\xbfQv", "\\ufeffQv"}, {"a\xe2\x80\x8b" "b", "a\\u200bb"}, {"1\xc2\xa0" "2", "1\\u00a02"},
        {"\xe3\x80\x80", "\\u3000"}, {"\xe2\x80\x90\xe2\x80\x93\xe2\x88\x92" "1", "\\u2010\\u2013\\u22121"},
    };
    for (const auto& row : kTable) EXPECT_EQ(Printable(row.in), row.out) << row.in;
}

TEST(Printable, KeepsLinesWhenAskedAndCutsLongTexts) {
    EXPECT_EQ(Printable("<a b=\"c\">\n\t\x1b[2J</a>\n", 100, Layout::kKeepLines), "<a b=\"c\">\n\t\\x1b[2J</a>\n");
    const std::string huge(10 * 1024 * 1024, 'x');
    EXPECT_EQ(Printable(huge, 8), "xxxxxxxx... (10485760 bytes)");
    // A cut never splits a character.
    EXPECT_EQ(Printable("ab\xe2\x82\xac" "cd", 3), "ab\xe2\x82\xac... (7 bytes)");
    EXPECT_EQ(Printable(std::string(80, 'y')), std::string(80, 'y'));
}

}  // namespace
