// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.io.IOException;
import java.io.OutputStream;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.LocalDate;
import java.util.ArrayList;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.stream.Collectors;

/** What the tests hold the hosts against: the tables every engine's host runs, and dfa-host. */
final class Tables {
    private Tables() {}

    /** The add-in's seven, by entry name. */
    static final List<String> ENTRIES = new Addin().functions().values().stream().filter(f -> f.inputs() == 1 || f.inputs() == 3)
            .map(Addin.Function::entryName).toList();

    /** The add-in's calendar, 0000-01-01 to 65535-12-31, in days from 1970-01-01. */
    static final long FIRST_DAY = LocalDate.of(0, 1, 1).toEpochDay(), LAST_DAY = LocalDate.of(65535, 12, 31).toEpochDay();

    private static final Pattern ISO = Pattern.compile("(-?\\d+)-(\\d\\d)-(\\d\\d)");

    /** The rows of the table a variable names (DFA_CASE_TABLE, DFA_TYPED_TABLE), split at commas, without the header. */
    static List<String[]> read(String variable) throws IOException {
        final List<String> lines = Files.readAllLines(Path.of(System.getenv(variable)));
        return lines.subList(1, lines.size()).stream().filter(l -> !l.isEmpty()).map(l -> l.split(",", -1)).collect(Collectors.toList());
    }

    /** The case table's rows but those of text and of infinities. */
    static List<String[]> caseRows() throws IOException {
        return read("DFA_CASE_TABLE").stream().filter(c -> !String.join(",", c).matches(".*(text:|infinity).*")).toList();
    }

    /**
     * The case table's rows in the typed table's form (function, zone, first, second, mode,
     * result; no zone, dates as "date:"), then the typed table's: none of text or infinities.
     */
    static List<String[]> typedRows() throws IOException {
        final List<String[]> rows = new ArrayList<>();
        for (final String[] c : caseRows())
            rows.add(new String[] {c[0], "", c[1].equals("NULL") ? "" : "date:" + c[1], c[2].isEmpty() || c[2].equals("NULL") ? "" : "date:" + c[2], c[3], c[4]});
        for (final String[] c : read("DFA_TYPED_TABLE"))
            if (!String.join(",", c).contains("text:")) rows.add(c);
        return rows;
    }

    /** A date of the tables (years of four digits or more, no sign), or null for a field that is none ("NULL", ""). */
    static LocalDate date(String field) {
        final Matcher m = ISO.matcher(field);
        return m.matches() ? LocalDate.of(Integer.parseInt(m.group(1)), Integer.parseInt(m.group(2)), Integer.parseInt(m.group(3))) : null;
    }

    /** A day counted from 1970-01-01 as the tables and dfa-host write it. */
    static String iso(long epochDay) {
        return LocalDate.ofEpochDay(epochDay).toString().replace("+", "");
    }

    /** The add-in's answer to each line of calls ("QvDate_GetDiffMonths 2005-01-31 2005-02-28 0"), through dfa-host (DFA_HOST). */
    static String[] addin(String lines) throws Exception {
        final Process host = new ProcessBuilder(System.getenv("DFA_HOST"), "call", "-").redirectError(ProcessBuilder.Redirect.INHERIT).start();
        final Thread writer = new Thread(() -> {
            try (OutputStream in = host.getOutputStream()) {
                in.write(lines.getBytes(StandardCharsets.UTF_8));
            } catch (IOException e) {
                throw new UncheckedIOException(e);
            }
        });
        writer.start();
        final String[] answers = new String(host.getInputStream().readAllBytes(), StandardCharsets.UTF_8).split("\n");
        writer.join();
        return answers;
    }
}
