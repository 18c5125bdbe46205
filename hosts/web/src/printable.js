// SPDX-License-Identifier: MIT
// Bytes from the module made safe to show in a message, escaped exactly as the native hosts
// escape them: control bytes, C1 controls, bidirectional, invisible and look-alike characters
// (byte-order mark, zero-width characters, non-ASCII spaces, dashes, minus signs), invalid
// UTF-8, backslashes and double quotes; cut at a character boundary after maxBytes bytes of
// input, ending in "... (N bytes)".

const isMisleading = (c) =>
  (c >= 0x80 && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069) ||
  c === 0xfeff || (c >= 0x200b && c <= 0x200f) || c === 0x2060 ||
  c === 0x00a0 || c === 0x1680 || (c >= 0x2000 && c <= 0x200a) || c === 0x202f || c === 0x205f || c === 0x3000 ||
  (c >= 0x2010 && c <= 0x2015) || c === 0x2212 || c === 0xfe63 || c === 0xff0d;

// Length and code point of the well-formed UTF-8 sequence at bytes[i], or length 0.
function decodeUtf8(bytes, i) {
  const lead = bytes[i];
  let length = 0, codePoint = 0, low = 0x80, high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) [length, codePoint] = [2, lead & 0x1f];
  else if (lead >= 0xe0 && lead <= 0xef) {
    [length, codePoint] = [3, lead & 0x0f];
    if (lead === 0xe0) low = 0xa0;
    if (lead === 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    [length, codePoint] = [4, lead & 0x07];
    if (lead === 0xf0) low = 0x90;
    if (lead === 0xf4) high = 0x8f;
  } else return [0, 0];
  if (bytes.length - i < length) return [0, 0];
  for (let k = 1; k < length; ++k) {
    const b = bytes[i + k];
    if (b < (k === 1 ? low : 0x80) || b > (k === 1 ? high : 0xbf)) return [0, 0];
    codePoint = (codePoint << 6) | (b & 0x3f);
  }
  return [length, codePoint];
}

const hex = (value, digits) => value.toString(16).padStart(digits, '0');

export function printable(bytes, maxBytes = 80) {
  let out = '';
  let i = 0;
  while (i < bytes.length && i < maxBytes) {
    const c = bytes[i];
    if (c >= 0x20 && c < 0x7f) {
      if (c === 0x5c || c === 0x22) out += '\\';
      out += String.fromCharCode(c);
      ++i;
      continue;
    }
    const [length, codePoint] = c >= 0x80 ? decodeUtf8(bytes, i) : [0, 0];
    if (length === 0) {
      out += `\\x${hex(c, 2)}`;
      ++i;
    } else {
      out += isMisleading(codePoint) ? `\\u${hex(codePoint, 4)}` : String.fromCodePoint(codePoint);
      i += length;
    }
  }
  if (i < bytes.length) out += `... (${bytes.length} bytes)`;
  return out;
}
