// SPDX-License-Identifier: MIT
package io.github.dfadates;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.time.Instant;
import java.time.LocalDateTime;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.stream.Collectors;
import java.util.stream.IntStream;
import org.apache.flink.configuration.Configuration;
import org.apache.flink.table.api.DataTypes;
import org.apache.flink.table.api.EnvironmentSettings;
import org.apache.flink.table.api.TableEnvironment;
import org.apache.flink.table.api.ValidationException;
import org.apache.flink.table.types.DataType;
import org.apache.flink.types.Row;
import org.apache.flink.util.CloseableIterator;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The Flink functions in Flink's own local cluster, in batch and in streaming mode: the case
 * table, the typed table's rows of the kinds Flink has (DATE, TIMESTAMP, and TIMESTAMP_LTZ with
 * the row's zone as the session's), and 100,000 pairs of days of the whole calendar against
 * dfa-host (DFA_HOST).
 */
class FlinkTest {
    private static TableEnvironment environment(boolean batch, String zone) {
        // One task, and network buffers enough for a batch job's exchanges in the local cluster.
        final Configuration configuration = Configuration.fromMap(Map.of("table.local-time-zone", zone, "parallelism.default", "1",
                "taskmanager.memory.network.min", "256mb", "taskmanager.memory.network.max", "256mb"));
        final TableEnvironment env = TableEnvironment.create((batch ? EnvironmentSettings.newInstance().inBatchMode()
                : EnvironmentSettings.newInstance().inStreamingMode()).withConfiguration(configuration).build());
        DfaFlink.register(env);
        return env;
    }

    // Each row (index, entry, first date, second date, mode) through the function it names, in
    // one query: the results by index, "NULL" for null.
    @SuppressWarnings("try")  // Flink's iterator may be interrupted as it closes
    private static Map<Integer, String> computed(TableEnvironment env, String from) throws Exception {
        final String cases = Tables.ENTRIES.stream().map(e -> " WHEN '" + e + "' THEN " + e + (e.contains("Diff") ? "(a, b, m)" : "(a)"))
                .collect(Collectors.joining());
        final Map<Integer, String> results = new HashMap<>();
        try (CloseableIterator<Row> rows = env.sqlQuery("SELECT i, CASE f" + cases + " END FROM " + from).execute().collect()) {
            rows.forEachRemaining(r -> results.put((Integer) r.getField(0), String.valueOf(r.getField(1)).replace("null", "NULL")));
        }
        return results;
    }

    private static Object value(String field) {
        final String literal = field.substring(field.indexOf(':') + 1);
        return switch (field.substring(0, Math.max(field.indexOf(':'), 0))) {
            case "date" -> (int) Tables.date(literal).toEpochDay();
            case "timestamp" -> LocalDateTime.parse(literal);
            case "timestamptz" -> Instant.parse(literal);
            default -> null;
        };
    }

    private static DataType type(String field) {
        return switch (field.substring(0, Math.max(field.indexOf(':'), 0))) {
            case "timestamp" -> DataTypes.TIMESTAMP(9);
            case "timestamptz" -> DataTypes.TIMESTAMP_LTZ(9);
            default -> DataTypes.INT();  // a day count: Flink's literals hold years 1 to 9999 only
        };
    }

    // A column as the functions take it: a day count as the DATE Flink computes from it.
    private static String column(String name, String field) {
        return type(field).equals(DataTypes.INT()) ? "TIMESTAMPADD(DAY, " + name + ", DATE '1970-01-01') AS " + name : name;
    }

    @ParameterizedTest
    @ValueSource(booleans = {true, false})
    void theCaseAndTypedTables(boolean batch) throws Exception {
        // Rows go in groups of one zone and one kind per date.
        final Map<String, List<String[]>> groups = new LinkedHashMap<>();
        for (final String[] c : Tables.typedRows())
            groups.computeIfAbsent(c[1] + "," + c[2].replaceAll(":.*", ":") + "," + c[3].replaceAll(":.*", ":"), k -> new ArrayList<>()).add(c);
        int ran = 0;
        for (final Map.Entry<String, List<String[]>> group : groups.entrySet()) {
            final String[] key = group.getKey().split(",", -1);
            final TableEnvironment env = environment(batch, key[0].isEmpty() ? "UTC" : key[0]);
            final List<Row> rows = new ArrayList<>();
            for (int i = 0; i < group.getValue().size(); ++i) {
                final String[] c = group.getValue().get(i);
                rows.add(Row.of(i, c[0], value(c[2]), value(c[3]), c[4].equals("NULL") ? null : c[4].isEmpty() ? "0" : c[4]));
            }
            env.createTemporaryView("given", env.fromValues(DataTypes.ROW(DataTypes.FIELD("i", DataTypes.INT()), DataTypes.FIELD("f", DataTypes.STRING()),
                    DataTypes.FIELD("a", type(key[1])), DataTypes.FIELD("b", type(key[2])), DataTypes.FIELD("m", DataTypes.STRING())), rows));
            env.createTemporaryView("t", env.sqlQuery("SELECT i, f, " + column("a", key[1]) + ", " + column("b", key[2]) + ", CAST(m AS DOUBLE) AS m FROM given"));  // NaN among them
            final Map<Integer, String> results = computed(env, "t");
            for (int i = 0; i < rows.size(); ++i) {
                final String[] c = group.getValue().get(i);
                assertEquals(c[5], results.get(i), String.join(",", c));
                ++ran;
            }
        }
        assertTrue(ran > 250, ran + " rows");
    }

    @ParameterizedTest
    @ValueSource(booleans = {true, false})
    void aHundredThousandPairsAgreeWithTheAddin(boolean batch) throws Exception {
        final long first = Tables.FIRST_DAY, span = Tables.LAST_DAY - first + 1;
        final TableEnvironment env = environment(batch, "UTC");
        env.executeSql("CREATE TEMPORARY TABLE n (i INT) WITH ('connector' = 'datagen', 'number-of-rows' = '100000', 'rows-per-second' = '1000000000', "
                + "'fields.i.kind' = 'sequence', 'fields.i.start' = '0', 'fields.i.end' = '99999')");
        // Days from the index: anywhere in the calendar, the second near the first or anywhere.
        final String day = "TIMESTAMPADD(DAY, CAST(%s AS INT), DATE '1970-01-01')";
        final String a = "MOD(CAST(i AS BIGINT) * 2654435761, " + span + ") + " + first;
        final String b = "CASE WHEN MOD(i, 2) = 0 THEN MOD(CAST(i AS BIGINT) * 40503 + 7, " + span + ") + " + first
                + " ELSE LEAST(GREATEST(" + a + " + MOD(i * 97, 801) - 400, " + first + "), " + (first + span - 1) + ") END";
        env.createTemporaryView("p", env.sqlQuery("SELECT i, " + String.format(day, a) + " AS a, " + String.format(day, b) + " AS b, "
                + "CAST(MOD(i / 7, 2) AS DOUBLE) AS m, CASE MOD(i, " + Tables.ENTRIES.size() + ")" + IntStream.range(0, Tables.ENTRIES.size()).mapToObj(k -> " WHEN " + k + " THEN '" + Tables.ENTRIES.get(k) + "'")
                .collect(Collectors.joining()) + " END AS f FROM n"));
        final Map<Integer, String> results = computed(env, "p");
        final StringBuilder lines = new StringBuilder();
        for (int i = 0; i < 100000; ++i) {
            final long x = Math.floorMod(i * 2654435761L, span) + first;
            final long y = i % 2 == 0 ? Math.floorMod(i * 40503L + 7, span) + first : Math.min(Math.max(x + Math.floorMod(i * 97, 801) - 400, first), first + span - 1);
            final String entry = Tables.ENTRIES.get(i % Tables.ENTRIES.size());
            lines.append(entry).append(' ').append(Tables.iso(x)).append(entry.contains("Diff") ? " " + Tables.iso(y) + " " + (i / 7) % 2 : "").append('\n');
        }
        final String[] expected = Tables.addin(lines.toString());
        int differing = 0;
        for (int i = 0; i < expected.length; ++i) {
            final String want = expected[i].equals("error") ? "NULL" : expected[i];
            if (!want.equals(results.get(i)) && ++differing <= 5) System.err.println(lines.toString().split("\n")[i] + ": " + results.get(i) + ", the add-in " + want);
        }
        assertEquals(100000, expected.length);
        assertEquals(0, differing);
    }

    @ParameterizedTest
    @ValueSource(strings = {"'2004-02-10'", "TRUE", "DATE '2004-02-10', DATE '2004-02-10', 'x'"})
    void whatIsNoDateIsFlinksValidationError(String arguments) {
        final TableEnvironment env = environment(true, "UTC");
        final String call = (arguments.contains(",") ? "QvDate_GetDiffMonths(" : "QvDate_DaysInMonth(") + arguments + ")";
        final ValidationException e = assertThrows(ValidationException.class, () -> env.sqlQuery("SELECT " + call).execute());
        assertTrue(String.valueOf(e.getMessage()).contains(arguments.contains(",") ? "QvDate_GetDiffMonths" : "QvDate_DaysInMonth"), e.getMessage());
    }

    @Test
    @SuppressWarnings("try")
    void createFunctionByItsClassAndTheTwoArgumentForm() throws Exception {
        final TableEnvironment env = TableEnvironment.create(EnvironmentSettings.inBatchMode());
        env.executeSql("CREATE TEMPORARY FUNCTION qvdate_getdiffmonths AS '" + DfaFlink.QvDate_GetDiffMonths.class.getName() + "' LANGUAGE JAVA");
        try (CloseableIterator<Row> rows = env.sqlQuery("SELECT qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28'), "
                + "qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28', 1), qvdate_getdiffmonths(DATE '2005-01-31', NULL, 1)").execute().collect()) {
            assertEquals(Row.of(0, 1, null), rows.next());
        }
    }
}
