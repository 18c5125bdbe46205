// SPDX-License-Identifier: MIT
#include "printable.h"

#include <cstdint>
#include <cstdio>

namespace dfa_host {

namespace {

// Length of the well-formed UTF-8 sequence at the start of text and its code point, or 0 when
// the first byte does not start one (overlong forms and surrogates included).
std::size_t DecodeUtf8(std::string_view text, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    std::size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const uint8_t b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return 0;
        codePoint = (codePoint << 6) | (b & 0x3F);
    }
    return length;
}

// What a terminal shows as something else or as nothing: C1 controls act like ESC sequences,
// bidirectional controls reorder what a reader sees; the byte-order mark and zero-width
// characters are invisible, non-ASCII spaces look like a blank and look-alike hyphens and minus
// signs like "-", though neither separates nor signs anything here.
bool IsMisleading(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           c == 0xFEFF || (c >= 0x200B && c <= 0x200F) || c == 0x2060 ||                  // invisible
           c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||    // spaces
           c == 0x205F || c == 0x3000 ||
           (c >= 0x2010 && c <= 0x2015) || c == 0x2212 || c == 0xFE63 || c == 0xFF0D;   // dashes
}

void AppendEscaped(std::string& out, const char* format, unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

}  // namespace

std::string Printable(std::string_view text, std::size_t maxBytes, Layout layout) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size() && i < maxBytes) {
        const auto c = static_cast<uint8_t>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            // Quotes matter where a text stands between them, on one line.
            if (c == '\\' || (c == '"' && layout == Layout::kOneLine)) out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (layout == Layout::kKeepLines && (c == '\n' || c == '\t')) {
            out += static_cast<char>(c);
            ++i;
        } else if (char32_t codePoint = 0; c >= 0x80) {
            const std::size_t length = DecodeUtf8(text.substr(i), codePoint);
            if (length == 0) {
                AppendEscaped(out, "\\x%02x", c);
                ++i;
            } else if (IsMisleading(codePoint)) {
                AppendEscaped(out, "\\u%04x", static_cast<unsigned>(codePoint));
                i += length;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
        } else {
            AppendEscaped(out, "\\x%02x", c);
            ++i;
        }
    }
    if (i < text.size()) out += "... (" + std::to_string(text.size()) + " bytes)";
    return out;
}

}  // namespace dfa_host
