// SPDX-License-Identifier: MIT
package io.github.dfadates;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.file.Files;
import java.nio.file.Path;
import java.time.LocalDate;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.Random;
import org.apache.spark.sql.Row;
import org.apache.spark.sql.SparkSession;
import org.junit.jupiter.api.AfterAll;
import org.junit.jupiter.api.Assumptions;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * The functions in Spark SQL, local[2] with Hive support, on Spark's jars (build-jvm.sh puts
 * them on the tests' class path): registered by Dfa.register and as Hive functions, through the
 * case table, the typed table and 100,000 pairs against the Java API.
 */
class SparkTest {
    private static SparkSession spark;

    @BeforeAll
    static void start() throws Exception {
        Assumptions.assumeTrue(SparkTest.class.getClassLoader().getResource("org/apache/spark/sql/SparkSession.class") != null,
                               "Spark's jars are not on the class path");
        final Path work = Files.createTempDirectory("dfa-spark");
        System.setProperty("derby.system.home", work.toString());
        spark = SparkSession.builder().master("local[2]").config("spark.ui.enabled", "false")
                .config("spark.sql.warehouse.dir", work.resolve("warehouse").toString()).enableHiveSupport().getOrCreate();
        Dfa.register(spark);
        for (final String entry : new Addin().functions().keySet())
            spark.sql("CREATE TEMPORARY FUNCTION hive_" + entry + " AS 'io.github.dfadates.DfaHive$" + entry + "'");
    }

    @AfterAll
    static void stop() {
        if (spark != null) spark.stop();
    }

    private static String result(String sql) {
        final Object value = spark.sql("SELECT " + sql).first().get(0);
        return value == null ? "NULL" : value.toString();
    }

    @Test
    void theCaseTableInSparkSqlAndAsHiveFunctions() throws Exception {
        final List<String> lines = Files.readAllLines(Path.of(System.getenv("DFA_CASE_TABLE")));
        final List<String> calls = new ArrayList<>(), expected = new ArrayList<>();
        for (final String line : lines.subList(1, lines.size())) {
            final String[] c = line.split(",", -1);
            // Spark's dates run from 0001-01-01 to 9999-12-31.
            if (!(c[1] + "," + c[2]).matches("(\\d{4}-\\d\\d-\\d\\d|NULL),?(\\d{4}-\\d\\d-\\d\\d|NULL)?") || line.contains(",0000-")) continue;
            final List<String> arguments = new ArrayList<>();
            for (final String date : c[2].isEmpty() ? List.of(c[1]) : List.of(c[1], c[2]))
                arguments.add(date.equals("NULL") ? "CAST(NULL AS DATE)" : "DATE '" + date + "'");
            if (!c[3].isEmpty()) arguments.add(c[3].equals("NULL") ? "CAST(NULL AS DOUBLE)" : c[3]);
            final String call = "(" + String.join(", ", arguments) + ")";
            calls.add(c[0] + call);
            calls.add("hive_" + c[0] + call);
            expected.add(c[4]);
            expected.add(c[4]);
        }
        assertTrue(calls.size() > 280, "calls: " + calls.size());
        // One query of them all: a query's analysis costs more than its rows here.
        final Row row = spark.sql("SELECT " + String.join(", ", calls)).first();
        for (int i = 0; i < calls.size(); ++i) assertEquals(expected.get(i), row.isNullAt(i) ? "NULL" : row.get(i).toString(), calls.get(i));
    }

    @Test
    void theTypedTableInSparkSqlAndAsHiveFunctions() throws Exception {
        int checked = 0;
        final List<String> lines = Files.readAllLines(Path.of(System.getenv("DFA_TYPED_TABLE")));
        for (final String line : lines.subList(1, lines.size())) {
            final String[] c = line.split(",", -1);
            if (line.contains("text:") || line.contains(":0001-")) continue;
            spark.sql("SET TIME ZONE '" + (c[1].isEmpty() ? "UTC" : c[1]) + "'");
            final List<String> arguments = new ArrayList<>(List.of(value(c[2], c[3])));
            if (!c[3].isEmpty()) arguments.add(value(c[3], c[2]));
            if (!c[4].isEmpty()) arguments.add(c[4].equals("NULL") ? "CAST(NULL AS DOUBLE)" : "CAST('" + c[4] + "' AS DOUBLE)");
            final String call = "(" + String.join(", ", arguments) + ")";
            assertEquals(c[5], result(c[0] + call), line);
            // Spark hands Hive no TIMESTAMP_NTZ, and a TIMESTAMP as a wall time of the JVM's zone.
            if (!line.contains("timestamp")) assertEquals(c[5], result("hive_" + c[0] + call), "Hive: " + line);
            ++checked;
        }
        assertTrue(checked > 20);
    }

    // A typed value as Spark SQL: a wall-clock timestamp is TIMESTAMP_NTZ; a null is of the other value's type.
    private static String value(String field, String other) {
        final String type = field.substring(0, Math.max(field.indexOf(':'), 0)), literal = field.substring(field.indexOf(':') + 1);
        return switch (type) {
            case "date" -> "DATE '" + literal + "'";
            case "timestamp" -> "TIMESTAMP_NTZ '" + literal + "'";
            case "timestamptz" -> "TIMESTAMP '" + literal + "'";
            default -> "CAST(NULL AS " + (other.startsWith("timestamp") ? "TIMESTAMP" : "DATE") + ")";
        };
    }

    @Test
    void aHundredThousandPairsAgreeWithTheJavaApi() {
        final Random random = new Random(1209);
        final long first = LocalDate.of(1, 1, 2).toEpochDay(), span = LocalDate.of(9999, 12, 31).toEpochDay() - first + 1;
        final List<Row> rows = new ArrayList<>();
        for (int i = 0; i < 100000; ++i)
            rows.add(org.apache.spark.sql.RowFactory.create(LocalDate.ofEpochDay(first + (long) (random.nextDouble() * span)),
                                                             LocalDate.ofEpochDay(first + (long) (random.nextDouble() * span)), (double) (i % 3) * 0.95));
        spark.sql("SET spark.sql.datetime.java8API.enabled = true");
        spark.createDataFrame(rows, new org.apache.spark.sql.types.StructType().add("a", "date").add("b", "date").add("mode", "double"))
                .createOrReplaceTempView("pairs");
        final List<Row> out = spark.sql("SELECT a, b, mode, qvdate_getdiffmonths(a, b, mode), qvdate_getdiffyears(a, b), qvdate_weeksinyear(a),"
                + " hive_QvDate_GetDiffWeeks(a, b, mode) FROM pairs").collectAsList();
        assertEquals(100000, out.size());
        for (final Row r : out) {
            final LocalDate a = r.getAs(0), b = r.getAs(1);
            final double mode = r.getDouble(2);
            assertEquals(Dfa.diffMonths(a, b, mode), r.get(3));
            assertEquals(Dfa.diffYears(a, b), r.get(4));
            assertEquals(Dfa.weeksInYear(a), r.get(5));
            assertEquals(Dfa.diffWeeks(a, b, mode), r.get(6));
        }
    }

    @Test
    void aWrongTypeIsSparksOwnAnalysisError() {
        final Exception sql = assertThrows(Exception.class, () -> result("qvdate_isleapyear(5)"));
        assertTrue(sql.getMessage().contains("cannot cast \"INT\" to \"DATE\""), sql.getMessage());
        final Exception hive = assertThrows(Exception.class, () -> result("hive_QvDate_IsLeapYear(5)"));
        assertTrue(hive.getMessage().toLowerCase(Locale.ROOT).contains("qvdate_isleapyear"), hive.getMessage());
    }
}
