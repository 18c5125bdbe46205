// SPDX-License-Identifier: MIT
// Text that comes from outside a host (the command line, input lines, the add-in's buffers) made
// safe to print on a terminal: it can neither retitle nor clear it, nor flood a message.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dfa_host {

enum class Layout { kOneLine, kKeepLines };

// Control bytes, C1 controls, bidirectional overrides, invisible and look-alike characters
// (byte-order mark, zero-width characters, non-ASCII spaces, dashes and minus signs), invalid
// UTF-8, backslashes and double quotes escaped (\x1b, \u202e, \ufeff, \u00a0, \\, \").
// kKeepLines, for a block of text such as an XML description, leaves line feeds, tabs and
// double quotes as they are.
// Longer texts are cut at a character boundary after maxBytes bytes of input and end in
// "... (N bytes)".
std::string Printable(std::string_view text, std::size_t maxBytes = 80, Layout layout = Layout::kOneLine);

// A file's path, escaped but whole: a message about a file names the file, however deep it lies.
inline std::string PrintablePath(std::string_view path) { return Printable(path, path.size()); }

}  // namespace dfa_host
