// SPDX-License-Identifier: MIT
// The host's language for SetLanguage, as a LANGID, from a POSIX locale name.
#pragma once

#include <cstdint>
#include <string_view>

namespace dfa_host {

// "de_DE.UTF-8" is 0x0407, "pt_BR" 0x0416, "C" and unknown languages US English (0x0409).
// Languages are named by ISO 639 code and, where their LANGIDs differ, by territory too.
uint16_t LanguageId(std::string_view locale);

}  // namespace dfa_host
