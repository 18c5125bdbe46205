// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.io.IOException;
import java.io.InputStream;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.util.HashMap;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/** The hosts' texts for the add-in's functions: the project's function catalog, which the jar carries. */
final class Catalog {
    private Catalog() {}

    private static final Pattern ENTRY = Pattern.compile("DFA_CATALOG_ENTRY\\(\\s*(\\w+)\\s*,\\s*\\w+\\s*,\\s*\"([^\"]*)\"");
    private static final Map<String, String> DESCRIPTIONS = read();

    /** What the function of that entry name does, in a sentence or two. */
    static String description(String entryName) {
        final String description = DESCRIPTIONS.get(entryName);
        if (description == null) throw new IllegalStateException("the function catalog has no entry " + entryName);
        return description;
    }

    private static Map<String, String> read() {
        try (InputStream in = Catalog.class.getResourceAsStream("function_catalog.def")) {
            if (in == null) throw new IllegalStateException("the jar carries no function catalog");
            final Matcher entry = ENTRY.matcher(new String(in.readAllBytes(), StandardCharsets.UTF_8));
            final Map<String, String> descriptions = new HashMap<>();
            while (entry.find()) descriptions.put(entry.group(1), entry.group(2));
            return descriptions;
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
    }
}
