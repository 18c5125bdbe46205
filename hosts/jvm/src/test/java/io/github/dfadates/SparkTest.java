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
 * The functions in Spark SQL, local[2] with Hive support, on Spark's jars (DFA_TEST_CLASSPATH
 * gives them to the tests): registered by Dfa.register and as Hive functions, through the
 * typed table and 100,000 pairs against the Java API.
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
