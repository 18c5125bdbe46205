// SPDX-License-Identifier: MIT
package io.github.dfadates;

import static io.trino.testing.TestingSession.testSessionBuilder;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import io.trino.server.PluginManager;
import io.trino.spi.Plugin;
import io.trino.spi.type.TimeZoneKey;
import io.trino.testing.MaterializedRow;
import io.trino.testing.QueryRunner;
import io.trino.testing.StandaloneQueryRunner;
import java.net.URL;
import java.time.LocalDate;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.ServiceLoader;
import java.util.SplittableRandom;
import java.util.Set;
import java.util.stream.Collectors;
import java.util.stream.IntStream;
import org.junit.jupiter.api.AfterAll;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.MethodSource;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The plugin in Trino's own server, in a session whose zone skipped a day (Pacific/Apia,
 * 2011-12-30) and is no row's: the case table, the typed table's rows of the kinds Trino has, and
 * values of every date and time stamp type over the whole of what each holds, read as Trino's own
 * cast reads them, against dfa-host (DFA_HOST).
 */
class TrinoTest {
    private static QueryRunner trino;

    @BeforeAll
    static void start() {
        trino = new StandaloneQueryRunner(testSessionBuilder().setTimeZoneKey(TimeZoneKey.getTimeZoneKey("Pacific/Apia")).build());
        // The plugin as Trino's server loads it from its folder: by its service file, in Trino's
        // own class loader for plugins (Trino's SPI from the server, the rest from the plugin's
        // jars: this one's classes and the JVM host's jar).
        final ClassLoader folder = PluginManager.createClassLoader("dfa", List.of(location(DfaTrino.class), location(Dfa.class)));
        trino.installPlugin(ServiceLoader.load(Plugin.class, folder).stream().map(ServiceLoader.Provider::get)
                .filter(p -> p.getClass().getClassLoader() == folder).findFirst().orElseThrow());
    }

    private static URL location(Class<?> type) {
        return type.getProtectionDomain().getCodeSource().getLocation();
    }

    @AfterAll
    static void stop() {
        trino.close();
    }

    private static List<MaterializedRow> rows(String sql) {
        return trino.execute(sql).getMaterializedRows();
    }

    @Test
    void theFunctionsAreTheCatalogs() {
        final Set<Object> names = rows("SHOW FUNCTIONS LIKE 'qvdate%'").stream().map(r -> r.getField(0)).collect(Collectors.toSet());
        assertEquals(Tables.ENTRIES.stream().map(String::toLowerCase).collect(Collectors.toSet()), names);
    }

    // A value of the tables as a Trino expression: dates from their day count (Trino's literals
    // stop at year 9999), a zoned time stamp in the row's zone, no value an untyped NULL.
    private static String value(String field, String zone) {
        final String literal = field.substring(field.indexOf(':') + 1);
        return switch (field.substring(0, Math.max(field.indexOf(':'), 0))) {
            case "date" -> "date_add('day', " + Tables.date(literal).toEpochDay() + ", DATE '1970-01-01')";
            case "timestamp" -> "TIMESTAMP '" + literal.replace('T', ' ') + "'";
            case "timestamptz" -> "from_iso8601_timestamp_nanos('" + literal + "') AT TIME ZONE '" + zone + "'";
            default -> "NULL";
        };
    }

    @Test
    void theCaseAndTypedTables() throws Exception {
        final List<String[]> cases = Tables.typedRows();
        final String calls = cases.stream().map(c -> c[0] + "(" + value(c[2], c[1]) + (c[0].contains("Diff") ? ", " + value(c[3], c[1])
                + (c[4].isEmpty() ? "" : ", " + (c[4].equals("NaN") ? "nan()" : "CAST(" + c[4] + " AS DOUBLE)")) : "") + ")").collect(Collectors.joining(", "));
        final MaterializedRow results = rows("SELECT " + calls).get(0);
        for (int i = 0; i < cases.size(); ++i)
            assertEquals(cases.get(i)[5], String.valueOf(results.getField(i)).replace("null", "NULL"), String.join(",", cases.get(i)));
        assertTrue(cases.size() > 250, cases.size() + " rows");
    }

    @Test
    void datesOfTwoKindsMeetAsTrinosCoercionMakesThem() {
        // A DATE beside a TIMESTAMP, a TIMESTAMP beside a zoned one: Trino chooses the signature.
        final MaterializedRow row = rows("SELECT qvdate_getdiffmonths(DATE '2005-01-31', TIMESTAMP '2005-02-28 23:59:59.999999', 1), "
                + "qvdate_getdiffmonths(TIMESTAMP '2005-01-31 23:00:00', from_iso8601_timestamp('2005-02-28T01:00:00Z'))").get(0);
        assertEquals(List.of(1, 0), row.getFields());
    }

    @ParameterizedTest
    @ValueSource(strings = {"'2004-02-10'", "TRUE", "DATE '2004-02-10', DATE '2004-02-10', 'x'"})
    void whatIsNoDateIsTrinosErrorNamingTheFunction(String arguments) {
        final String name = arguments.contains(",") ? "qvdate_getdiffmonths" : "qvdate_daysinmonth";
        final RuntimeException e = assertThrows(RuntimeException.class, () -> rows("SELECT " + name + "(" + arguments + ")"));
        assertTrue(String.valueOf(e.getMessage()).contains("Unexpected parameters") && e.getMessage().contains(name), e.getMessage());
    }

    // A kind of value: its type, the range of seconds (days, for DATE) drawn from, and the SQL
    // that makes one from s seconds (days) and ms milliseconds.
    private record Kind(String type, long low, long high, String make) {}

    private static final String TIMESTAMP = "CAST(date_add('millisecond', %2$s, date_add('second', %1$s, TIMESTAMP '1970-01-01 00:00:00.000000000000')) AS timestamp(%3$s))";
    private static final List<Kind> KINDS = new ArrayList<>();
    static {
        KINDS.add(new Kind("date", Integer.MIN_VALUE, Integer.MAX_VALUE, "date_add('day', %1$s, DATE '1970-01-01')"));
        final long micros = Long.MAX_VALUE / 1_000_000 - 86_400, millis = (1L << 51) / 1000 - 86_400;  // a day within each end
        for (final int p : new int[] {0, 3, 6, 9, 12}) KINDS.add(new Kind("timestamp(" + p + ")", -micros, micros, TIMESTAMP.replace("%3$s", "" + p)));
        final String[] zones = {"UTC", "Pacific/Apia", "America/St_Johns", "Asia/Kathmandu", "+14:00"};
        for (int k = 0; k < zones.length; ++k)
            KINDS.add(new Kind("timestamp(" + 3 * k + ") with time zone, " + zones[k], -millis, millis,
                    "with_timezone(" + TIMESTAMP.replace("%3$s", "" + 3 * k) + ", '" + zones[k] + "')"));
    }

    static List<Kind> kinds() {
        return KINDS;
    }

    @ParameterizedTest
    @MethodSource("kinds")
    void everyValueOfEveryKindIsReadAsTrinosCastReadsIt(Kind kind) throws Exception {
        final boolean days = kind.type().equals("date");
        // Values over the whole range, and at the ends of days where the calendar or a zone has
        // an edge: years 0 and 65535, 0001-01-01, 1582, 1970, Apia's skipped 2011-12-30.
        final SplittableRandom random = new SplittableRandom(kind.type().hashCode());
        final List<long[]> values = new ArrayList<>();
        final long unit = days ? 1 : 86_400, first = Tables.FIRST_DAY * unit, last = Tables.LAST_DAY * unit + unit - 1;  // half of them in the calendar
        for (int i = 0; i < 3000; ++i)
            values.add(new long[] {i % 2 == 0 ? random.nextLong(kind.low(), kind.high() + 1) : random.nextLong(first, last + 1), random.nextLong(1000)});
        for (final LocalDate edge : new LocalDate[] {LocalDate.of(-1, 12, 31), LocalDate.of(0, 1, 1), LocalDate.of(1, 1, 1), LocalDate.of(1582, 10, 4),
                LocalDate.of(1582, 10, 15), LocalDate.of(1969, 12, 31), LocalDate.of(1970, 1, 1), LocalDate.of(2011, 12, 29), LocalDate.of(2011, 12, 31),
                LocalDate.of(2038, 1, 19), LocalDate.of(9999, 12, 31), LocalDate.of(65535, 12, 31), LocalDate.of(65536, 1, 1)}) {
            final long day = edge.toEpochDay();
            values.add(new long[] {days ? day : day * 86_400, 0});
            if (!days) values.add(new long[] {day * 86_400 + 86_399, 999});
        }
        final String rows = IntStream.range(0, values.size()).mapToObj(i -> "(" + i + ", " + values.get(i)[0] + ", " + values.get(i)[1] + ", "
                + values.get((i * 7 + 1) % values.size())[0] + ", " + values.get((i * 7 + 1) % values.size())[1] + ")").collect(Collectors.joining(", "));
        final String calls = IntStream.range(0, Tables.ENTRIES.size()).mapToObj(e -> " WHEN " + e + " THEN " + Tables.ENTRIES.get(e)
                + (Tables.ENTRIES.get(e).contains("Diff") ? "(x, y, m)" : "(x)")).collect(Collectors.joining());
        final List<MaterializedRow> results = rows("SELECT i, date_diff('day', DATE '1970-01-01', CAST(x AS DATE)), date_diff('day', DATE '1970-01-01', CAST(y AS DATE)), "
                + "CASE i % " + Tables.ENTRIES.size() + calls + " END FROM (SELECT i, " + String.format(kind.make(), "s", "ms") + " AS x, " + String.format(kind.make(), "t", "tms")
                + " AS y, CAST(i / 7 % 2 AS DOUBLE) AS m FROM (VALUES " + rows + ") AS v(i, s, ms, t, tms)) ORDER BY i");
        // The add-in's answer on each row's days as Trino's cast gives them; null outside its calendar.
        final StringBuilder lines = new StringBuilder();
        final List<Integer> asked = new ArrayList<>();
        for (final MaterializedRow r : results) {
            final int i = (Integer) r.getField(0);
            final String entry = Tables.ENTRIES.get(i % Tables.ENTRIES.size());
            final long x = (Long) r.getField(1), y = (Long) r.getField(2);
            if (!inCalendar(x) || entry.contains("Diff") && !inCalendar(y)) continue;
            lines.append(entry).append(' ').append(Tables.iso(x)).append(entry.contains("Diff") ? " " + Tables.iso(y) + " " + i / 7 % 2 : "").append('\n');
            asked.add(i);
        }
        final String[] answers = Tables.addin(lines.toString());
        final Map<Integer, String> expected = new HashMap<>();
        for (int a = 0; a < asked.size(); ++a) expected.put(asked.get(a), answers[a].equals("error") ? "null" : answers[a]);
        for (final MaterializedRow r : results)
            assertEquals(expected.getOrDefault((Integer) r.getField(0), "null"), String.valueOf(r.getField(3)), kind.type() + ": " + r);
        assertEquals(values.size(), results.size());
        assertTrue(asked.size() > 1000, asked.size() + " rows in the calendar");
    }

    private static boolean inCalendar(long epochDay) {
        return epochDay >= Tables.FIRST_DAY && epochDay <= Tables.LAST_DAY;
    }
}
