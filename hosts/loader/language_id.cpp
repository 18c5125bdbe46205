// SPDX-License-Identifier: MIT
#include "language_id.h"

namespace dfa_host {

namespace {

struct Language {
    std::string_view name;  // language, or language_TERRITORY where that decides the LANGID
    uint16_t id;
};

// The territory-specific names first, then the primary languages with their default sublanguage.
constexpr Language kLanguages[] = {
    {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
    {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_CN", 0x0804}, {"fr_CA", 0x0C0C}, {"de_AT", 0x0C07},
    {"de_CH", 0x0807}, {"es_MX", 0x080A}, {"nl_BE", 0x0813}, {"fr_BE", 0x080C}, {"fr_CH", 0x100C},
    {"ar", 0x0401}, {"bg", 0x0402}, {"ca", 0x0403}, {"zh", 0x0804}, {"cs", 0x0405}, {"da", 0x0406},
    {"de", 0x0407}, {"el", 0x0408}, {"en", 0x0409}, {"es", 0x0C0A}, {"fi", 0x040B}, {"fr", 0x040C},
    {"he", 0x040D}, {"hu", 0x040E}, {"is", 0x040F}, {"it", 0x0410}, {"ja", 0x0411}, {"ko", 0x0412},
    {"nl", 0x0413}, {"nb", 0x0414}, {"no", 0x0414}, {"nn", 0x0814}, {"pl", 0x0415}, {"pt", 0x0816},
    {"ro", 0x0418}, {"ru", 0x0419}, {"hr", 0x041A}, {"sk", 0x041B}, {"sq", 0x041C}, {"sv", 0x041D},
    {"th", 0x041E}, {"tr", 0x041F}, {"id", 0x0421}, {"uk", 0x0422}, {"be", 0x0423}, {"sl", 0x0424},
    {"et", 0x0425}, {"lv", 0x0426}, {"lt", 0x0427}, {"fa", 0x0429}, {"vi", 0x042A}, {"eu", 0x042D},
    {"hi", 0x0439}, {"ga", 0x083C}, {"ms", 0x043E}, {"sr", 0x0C1A}, {"gl", 0x0456},
};

constexpr uint16_t kEnglishUs = 0x0409;

}  // namespace

uint16_t LanguageId(std::string_view locale) {
    // language[_TERRITORY][.codeset][@modifier]
    const std::string_view tag = locale.substr(0, locale.find_first_of(".@"));
    const std::string_view language = tag.substr(0, tag.find('_'));
    for (const Language& l : kLanguages)
        if (l.name == tag) return l.id;
    for (const Language& l : kLanguages)
        if (l.name == language) return l.id;
    return kEnglishUs;
}

}  // namespace dfa_host
