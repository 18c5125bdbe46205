// SPDX-License-Identifier: MIT
package io.github.dfadates;

/**
 * Bytes from the module made safe to show in a message, escaped exactly as the other hosts escape
 * them: control bytes, C1 controls, bidirectional, invisible and look-alike characters (byte-order
 * mark, zero-width characters, non-ASCII spaces, dashes, minus signs), invalid UTF-8, backslashes
 * and double quotes; cut at a character boundary after a number of bytes of input, ending in
 * "... (N bytes)".
 */
final class Printable {
    private Printable() {}

    static String of(byte[] bytes, int maxBytes) {
        final StringBuilder out = new StringBuilder();
        int i = 0;
        while (i < bytes.length && i < maxBytes) {
            final int c = bytes[i] & 0xff;
            if (c >= 0x20 && c < 0x7f) {
                if (c == '\\' || c == '"') out.append('\\');
                out.append((char) c);
                ++i;
                continue;
            }
            final long decoded = c >= 0x80 ? decodeUtf8(bytes, i) : 0;
            final int length = (int) (decoded >>> 32), codePoint = (int) decoded;
            if (length == 0) {
                out.append(String.format("\\x%02x", c));
                ++i;
            } else {
                if (isMisleading(codePoint)) out.append(String.format("\\u%04x", codePoint));
                else out.appendCodePoint(codePoint);
                i += length;
            }
        }
        if (i < bytes.length) out.append("... (").append(bytes.length).append(" bytes)");
        return out.toString();
    }

    private static boolean isMisleading(int c) {
        return (c >= 0x80 && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069)
                || c == 0xfeff || (c >= 0x200b && c <= 0x200f) || c == 0x2060
                || c == 0x00a0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200a) || c == 0x202f || c == 0x205f || c == 0x3000
                || (c >= 0x2010 && c <= 0x2015) || c == 0x2212 || c == 0xfe63 || c == 0xff0d;
    }

    // The length (high half) and code point (low half) of the well-formed UTF-8 sequence at i, or 0.
    private static long decodeUtf8(byte[] bytes, int i) {
        final int lead = bytes[i] & 0xff;
        int length, codePoint, low = 0x80, high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
            codePoint = lead & 0x1f;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            codePoint = lead & 0x0f;
            if (lead == 0xe0) low = 0xa0;
            if (lead == 0xed) high = 0x9f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            codePoint = lead & 0x07;
            if (lead == 0xf0) low = 0x90;
            if (lead == 0xf4) high = 0x8f;
        } else {
            return 0;
        }
        if (bytes.length - i < length) return 0;
        for (int k = 1; k < length; ++k) {
            final int b = bytes[i + k] & 0xff;
            if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xbf)) return 0;
            codePoint = (codePoint << 6) | (b & 0x3f);
        }
        return ((long) length << 32) | codePoint;
    }
}
