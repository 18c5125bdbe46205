// SPDX-License-Identifier: MIT
// The Gnumeric plugin announces the locale's language to the add-in as a LANGID.
#include "language_id.h"

#include <gtest/gtest.h>

#include "language.h"

namespace {

TEST(LanguageId, FromLocaleNames) {
    const struct { const char* locale; uint16_t id; } kTable[] = {
        {"C", 0x0409},          {"POSIX", 0x0409},       {"en_US.UTF-8", 0x0409}, {"en_GB.UTF-8", 0x0809},
        {"de_DE.UTF-8", 0x0407}, {"de_CH.UTF-8", 0x0807}, {"de", 0x0407},          {"fr_FR@euro", 0x040C},
        {"pt_BR.UTF-8", 0x0416}, {"pt_PT.UTF-8", 0x0816}, {"pt", 0x0816},          {"zh_TW.UTF-8", 0x0404},
        {"zh_CN.GB2312", 0x0804}, {"nb_NO.UTF-8", 0x0414}, {"sr_RS@latin", 0x0C1A}, {"xx_YY", 0x0409},
        {"", 0x0409},
    };
    for (const auto& row : kTable) EXPECT_EQ(dfa_host::LanguageId(row.locale), row.id) << row.locale;
    // What the add-in keeps of them: English, Chinese and Norwegian collapse to the language.
    EXPECT_EQ(dfa::NormalizeLanguage(dfa_host::LanguageId("en_GB.UTF-8")), 9);
    EXPECT_EQ(dfa::NormalizeLanguage(dfa_host::LanguageId("pt_BR.UTF-8")), 0x0816);
}

}  // namespace
