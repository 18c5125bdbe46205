// SPDX-License-Identifier: MIT
package io.github.dfadates;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Instant;
import java.time.LocalDate;
import java.time.LocalDateTime;
import java.time.ZoneId;
import java.time.temporal.Temporal;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.Random;
import java.util.TreeMap;
import java.util.TreeSet;
import java.util.concurrent.Callable;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.stream.Collectors;
import org.junit.jupiter.api.Test;

/**
 * The Java API against the add-in itself (dfa-host, DFA_HOST), the case table every engine's
 * host runs (DFA_CASE_TABLE), the typed table (DFA_TYPED_TABLE), and the public header
 * (DFA_HEADER).
 */
class DfaTest {
    private static Integer apply(String entry, Temporal first, Temporal second, String mode) {
        return switch (entry) {
            case "QvDate_IsLeapYear" -> Dfa.isLeapYear(first);
            case "QvDate_DaysInMonth" -> Dfa.daysInMonth(first);
            case "QvDate_DaysInYear" -> Dfa.daysInYear(first);
            case "QvDate_WeeksInYear" -> Dfa.weeksInYear(first);
            default -> {
                final Double m = mode.equals("NULL") ? null : mode.isEmpty() ? 0.0 : Double.valueOf(mode);
                yield switch (entry) {
                    case "QvDate_GetDiffWeeks" -> Dfa.diffWeeks(first, second, m);
                    case "QvDate_GetDiffMonths" -> Dfa.diffMonths(first, second, m);
                    default -> Dfa.diffYears(first, second, m);
                };
            }
        };
    }

    private static String text(Integer result) {
        return result == null ? "NULL" : result.toString();
    }

    @Test
    void theCaseTable() throws IOException {
        int checked = 0;
        for (final String[] c : Tables.caseRows()) {
            assertEquals(c[4], text(apply(c[0], Tables.date(c[1]), Tables.date(c[2]), c[3])), String.join(",", c));
            ++checked;
        }
        assertTrue(checked > 200);
    }

    @Test
    void theTypedTable() throws IOException {
        // Every row of the kinds java.time has: all but text.
        final List<String[]> rows = Tables.read("DFA_TYPED_TABLE").stream().filter(c -> !String.join(",", c).contains("text:")).toList();
        int ran = 0;
        for (final String[] c : rows) {
            final Temporal first = value(c[2], c[1]), second = c[3].isEmpty() ? null : value(c[3], c[1]);
            assertEquals(c[5], text(apply(c[0], first, second, c[4])), String.join(",", c));
            ++ran;
        }
        assertEquals(rows.size(), ran);
        assertTrue(ran > 30);
    }

    // A typed value: a date, a timestamp, an instant in the row's zone, or null.
    private static Temporal value(String field, String zone) {
        final String literal = field.substring(field.indexOf(':') + 1);
        return switch (field.substring(0, Math.max(field.indexOf(':'), 0))) {
            case "date" -> LocalDate.parse(literal);
            case "timestamp" -> LocalDateTime.parse(literal);
            case "timestamptz" -> Instant.parse(literal).atZone(ZoneId.of(zone));
            default -> null;
        };
    }

    @Test
    void aHundredThousandPairsAcrossTheCalendarAgreeWithTheAddin() throws Exception {
        final long first = Tables.FIRST_DAY, span = Tables.LAST_DAY - first + 1;
        final Random random = new Random(20261209);
        final String[] one = {"QvDate_IsLeapYear", "QvDate_DaysInMonth", "QvDate_DaysInYear", "QvDate_WeeksInYear"};
        final String[] diffs = {"QvDate_GetDiffWeeks", "QvDate_GetDiffMonths", "QvDate_GetDiffYears"};
        final StringBuilder lines = new StringBuilder();
        final List<Integer> ours = new ArrayList<>();
        for (int i = 0; i < 100000; ++i) {
            final LocalDate a = LocalDate.ofEpochDay(first + (long) (random.nextDouble() * span));
            final long near = Math.min(Math.max(a.toEpochDay() + random.nextInt(801) - 400, first), first + span - 1);
            final LocalDate b = LocalDate.ofEpochDay(random.nextBoolean() ? first + (long) (random.nextDouble() * span) : near);
            for (final String f : one) {
                lines.append(f).append(' ').append(Tables.iso(a.toEpochDay())).append('\n');
                ours.add(apply(f, a, null, ""));
            }
            for (final String f : diffs)
                for (final String mode : new String[] {"0", "1"}) {
                    lines.append(f).append(' ').append(Tables.iso(a.toEpochDay())).append(' ').append(Tables.iso(b.toEpochDay())).append(' ').append(mode).append('\n');
                    ours.add(apply(f, a, b, mode));
                }
        }
        final String[] expected = Tables.addin(lines.toString());
        assertEquals(ours.size(), expected.length);
        int differing = 0;
        for (int i = 0; i < expected.length; ++i) {
            // dfa-host reports 0001-01-01, which no serial names: the API gives null.
            final String want = expected[i].equals("error") ? "NULL" : expected[i];
            if (!want.equals(text(ours.get(i))) && ++differing <= 5) System.err.println(lines.toString().split("\n")[i] + ": " + ours.get(i) + ", the add-in " + want);
        }
        assertEquals(0, differing);
    }

    @Test
    void eightThreadsGiveWhatOneGives() throws Exception {
        final List<LocalDate> days = new Random(8).longs(20000, LocalDate.of(1600, 1, 1).toEpochDay(), LocalDate.of(2400, 1, 1).toEpochDay())
                .mapToObj(LocalDate::ofEpochDay).collect(Collectors.toList());
        final Callable<List<Integer>> work = () -> {
            final List<Integer> results = new ArrayList<>();
            for (int i = 0; i < days.size(); ++i) {
                results.add(Dfa.diffMonths(days.get(i), days.get((i * 7 + 3) % days.size()), 0.0));
                results.add(Dfa.weeksInYear(days.get(i)));
            }
            return results;
        };
        final List<Integer> alone = work.call();
        final ExecutorService pool = Executors.newFixedThreadPool(8);
        try {
            final List<Future<List<Integer>>> runs = new ArrayList<>();
            for (int t = 0; t < 8; ++t) runs.add(pool.submit(work));
            for (final Future<List<Integer>> run : runs) assertEquals(alone, run.get());
        } finally {
            pool.shutdown();
        }
    }

    @Test
    void theApiOffersTheAddinsFunctions() throws Exception {
        // dfa-host's list: entry name and parameter count, the result included.
        final Process host = new ProcessBuilder(System.getenv("DFA_HOST"), "list").start();
        final Map<String, Integer> listed = new TreeMap<>();
        final Matcher m = Pattern.compile("(?m)^\\d+ (\\S+) +parameters: (\\d+)").matcher(new String(host.getInputStream().readAllBytes(), StandardCharsets.UTF_8));
        while (m.find()) listed.put(m.group(1), Integer.parseInt(m.group(2)) - 1);
        // Each API method's entry name: diffWeeks is QvDate_GetDiffWeeks, isLeapYear QvDate_IsLeapYear.
        final Map<String, Integer> offered = new TreeMap<>();
        for (final Method method : Dfa.class.getMethods()) {
            final List<Class<?>> types = Arrays.asList(method.getParameterTypes());
            if (!Modifier.isStatic(method.getModifiers()) || method.getReturnType() != Integer.class) continue;
            final String name = method.getName();
            final String entry = "QvDate_" + (name.startsWith("diff") ? "Get" : "") + Character.toUpperCase(name.charAt(0)) + name.substring(1);
            offered.merge(entry, (int) types.stream().filter(t -> t == Temporal.class).count() + (types.contains(Double.class) ? 1 : 0), Math::max);
        }
        assertEquals(listed, offered);
        assertEquals(listed.keySet(), new TreeSet<>(new Addin().functions().keySet()));
    }

    @Test
    void theLoadersConstantsAreThePublicHeaders() throws IOException {
        final String header = Files.readString(Path.of(System.getenv("DFA_HEADER")));
        final Map<String, Integer> constants = Map.of("DFA_TEXT_BUFFER_SIZE", Addin.TEXT_BUFFER_SIZE, "DFA_MAX_PARAMETERS", Addin.MAX_PARAMETERS,
                                                      "DFA_PARAM_DOUBLE_PTR", Addin.PARAM_DOUBLE_PTR);
        constants.forEach((name, value) -> assertTrue(header.contains("#define " + name + " " + value + "\n"), name));
    }

    @Test
    void theApiNeedsNoSparkAndTakesModesOfEveryNumberType() throws Exception {
        try (IsolatedLoader loader = new IsolatedLoader(List.of(), List.of("io.github.dfadates."), List.of("org.apache.spark.", "org.apache.hadoop."))) {
            assertTrue(loader.loadClass(Dfa.class.getName()).getMethods().length > 20);
        }
        final LocalDate a = LocalDate.of(2005, 1, 31), b = LocalDate.of(2005, 2, 28);
        assertEquals(List.of(1, 1, 1, 0), List.of(Dfa.diffMonths(a, b, 1), Dfa.diffMonths(a, b, 1.9), Dfa.diffMonths(a, b, Double.valueOf(1)), Dfa.diffMonths(a, b, 2L)));
    }

    @Test
    void whatIsNoDayIsRefusedOrNull() {
        assertThrows(IllegalArgumentException.class, () -> Dfa.isLeapYear(Instant.EPOCH));
        assertThrows(DfaException.class, () -> Dfa.call("QvDate_IsLeapYear", 1, 2));
        assertEquals(null, Dfa.diffMonths(LocalDate.of(2005, 1, 31), LocalDate.of(2005, 2, 28), Double.NaN));
        assertEquals(0, Dfa.diffMonths(LocalDate.of(2005, 1, 31), LocalDate.of(2005, 2, 28)));
    }
}
