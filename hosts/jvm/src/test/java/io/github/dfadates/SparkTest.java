// SPDX-License-Identifier: MIT
package io.github.dfadates;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.file.Files;
import java.nio.file.Path;
import java.time.LocalDate;
import java.time.ZoneId;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import java.util.Random;
import java.util.stream.Collectors;
import java.util.stream.LongStream;
import org.apache.spark.sql.Row;
import org.apache.spark.sql.SparkSession;
import org.apache.spark.sql.catalyst.util.DateTimeUtils;
import org.junit.jupiter.api.AfterAll;
import org.junit.jupiter.api.Assumptions;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The functions in Spark SQL, local[2] with Hive support, on Spark's jars (build-jvm.sh puts
 * them on the tests' class path), in a JVM whose zone skipped a day: registered by
 * DfaSpark.register and as Hive functions (hive_ before the name), through the case table, the
 * typed table, and every day and instant Spark holds against Spark's own day of it.
 */
class SparkTest {
    private static SparkSession spark;

    @BeforeAll
    static void start() throws Exception {
        Assumptions.assumeTrue(SparkTest.class.getClassLoader().getResource("org/apache/spark/sql/SparkSession.class") != null,
                               "Spark's jars are not on the class path");
        assertEquals(ZoneId.of("Pacific/Apia"), ZoneId.systemDefault());
        final Path work = Files.createTempDirectory("dfa-spark");
        System.setProperty("derby.system.home", work.toString());
        spark = SparkSession.builder().master("local[2]").config("spark.ui.enabled", "false")
                .config("spark.sql.warehouse.dir", work.resolve("warehouse").toString()).enableHiveSupport().getOrCreate();
        DfaSpark.register(spark);
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
        // Every row of dates (Spark's DATE holds the whole calendar, year 0 and before too) and NULLs.
        final List<String[]> rows = Tables.caseRows();
        final List<String> calls = new ArrayList<>(), expected = new ArrayList<>();
        for (final String[] c : rows) {
            final List<String> arguments = new ArrayList<>();
            for (final String date : c[2].isEmpty() ? List.of(c[1]) : List.of(c[1], c[2]))
                arguments.add(date.equals("NULL") ? "CAST(NULL AS DATE)" : "date_from_unix_date(" + Tables.date(date).toEpochDay() + ")");
            if (!c[3].isEmpty()) arguments.add(c[3].equals("NULL") ? "CAST(NULL AS DOUBLE)" : c[3]);
            for (final String prefix : List.of("", "hive_")) {
                calls.add(prefix + c[0] + "(" + String.join(", ", arguments) + ")");
                expected.add(c[4]);
            }
        }
        // One query of them all: a query's analysis costs more than its rows here.
        final Row row = spark.sql("SELECT " + String.join(", ", calls)).first();
        for (int i = 0; i < calls.size(); ++i) assertEquals(expected.get(i), row.isNullAt(i) ? "NULL" : row.get(i).toString(), calls.get(i));
        assertEquals(2 * rows.size(), calls.size());
    }

    @Test
    void theTypedTableInSparkSqlAndAsHiveFunctions() throws Exception {
        // Spark SQL takes every kind of value; Spark hands Hive functions DATEs and TIMESTAMPs.
        final List<String[]> rows = Tables.read("DFA_TYPED_TABLE");
        int sql = 0, hive = 0;
        try {
            for (final String[] c : rows) {
                spark.sql("SET TIME ZONE '" + (c[1].isEmpty() ? "UTC" : c[1]) + "'");
                final List<String> arguments = new ArrayList<>(List.of(value(c[2], c[3])));
                if (!c[3].isEmpty()) arguments.add(value(c[3], c[2]));
                if (!c[4].isEmpty()) arguments.add(c[4].equals("NULL") ? "CAST(NULL AS DOUBLE)" : "CAST('" + c[4] + "' AS DOUBLE)");
                final String call = "(" + String.join(", ", arguments) + ")", line = String.join(",", c);
                if (line.contains("text:")) {
                    // Text is read by Spark's own CAST: the answer on its day, or none where Spark has none.
                    assertEquals(onSparksDayOf(c[0], c[2].substring(5)), resultOrError(c[0] + call), line);
                } else {
                    assertEquals(c[5], result(c[0] + call), line);
                }
                ++sql;
                if (!line.matches(".*(text:|timestamp:).*")) {
                    assertEquals(c[5], result("hive_" + c[0] + call), "Hive: " + line);
                    ++hive;
                }
            }
        } finally {
            spark.sql("SET TIME ZONE 'UTC'");
        }
        assertEquals(rows.size(), sql);
        assertEquals(rows.stream().filter(c -> !String.join(",", c).matches(".*(text:|timestamp:).*")).count(), hive);
    }

    private static String resultOrError(String sql) {
        try {
            return result(sql);
        } catch (RuntimeException e) {  // Scala's exceptions: Spark's errors of a cast
            return "NULL";
        }
    }

    private static String onSparksDayOf(String entry, String text) {
        final String day = resultOrError("unix_date(CAST('" + text + "' AS DATE))");
        final Integer answer = day.equals("NULL") ? null : Dfa.oneDate(entry, LocalDate.ofEpochDay(Integer.parseInt(day)));
        return answer == null ? "NULL" : answer.toString();
    }

    // A typed value as Spark SQL: a wall-clock timestamp is TIMESTAMP_NTZ; a null is of the other value's type.
    private static String value(String field, String other) {
        final String type = field.substring(0, Math.max(field.indexOf(':'), 0)), literal = field.substring(field.indexOf(':') + 1);
        return switch (type) {
            case "date" -> "DATE '" + literal + "'";
            case "timestamp" -> "TIMESTAMP_NTZ '" + literal + "'";
            case "timestamptz" -> "TIMESTAMP '" + literal + "'";
            case "text" -> "'" + literal + "'";
            default -> "CAST(NULL AS " + (other.startsWith("timestamp") ? "TIMESTAMP" : "DATE") + ")";
        };
    }

    private static final String[] ONE_DATE = {"QvDate_IsLeapYear", "QvDate_DaysInMonth", "QvDate_DaysInYear", "QvDate_WeeksInYear"};

    /**
     * Every day of years -5 to 1, 1580 to 1585 and 2011 to 2012 (Apia, the JVM's zone, skipped
     * 2011-12-30) and random days of 1 to 9999 as DATEs, and
     * TIMESTAMPs within a day of the start of a month of 1800 to 2200 in five session zones: each
     * function gives the Java API's answer on Spark's own day of the value (unix_date(to_date(x)));
     * a Hive function, on the day Spark's own conversions to Hive's Java values and back give.
     */
    @ParameterizedTest
    @ValueSource(booleans = {false, true})
    void everyDayAndInstantGivesSparksOwnDay(boolean java8Api) {
        final Random random = new Random(34);
        final LongStream days = LongStream.concat(LongStream.concat(LongStream.concat(
                LongStream.rangeClosed(LocalDate.of(-5, 1, 1).toEpochDay(), LocalDate.of(1, 12, 31).toEpochDay()),
                LongStream.rangeClosed(LocalDate.of(1580, 1, 1).toEpochDay(), LocalDate.of(1585, 12, 31).toEpochDay())),
                LongStream.rangeClosed(LocalDate.of(2011, 1, 1).toEpochDay(), LocalDate.of(2012, 12, 31).toEpochDay())),
                random.longs(3000, LocalDate.of(1, 1, 1).toEpochDay(), LocalDate.of(9999, 12, 31).toEpochDay() + 1));
        spark.createDataFrame(days.mapToObj(d -> org.apache.spark.sql.RowFactory.create((int) d)).toList(),
                new org.apache.spark.sql.types.StructType().add("n", "int")).selectExpr("date_from_unix_date(n) AS x").createOrReplaceTempView("dates");
        final List<Row> instants = random.longs(3000, 0, 400 * 12).mapToObj(m -> org.apache.spark.sql.RowFactory.create(
                LocalDate.of(1800, 1, 1).plusMonths(m).toEpochDay() * 86400 + random.nextInt(2 * 86400) - 86400)).toList();
        spark.createDataFrame(instants, new org.apache.spark.sql.types.StructType().add("s", "long"))
                .selectExpr("timestamp_seconds(s) AS x").createOrReplaceTempView("instants");
        final String functions = String.join(", ", java.util.Arrays.stream(ONE_DATE).map(f -> f + "(x), hive_" + f + "(x)").toList())
                + ", QvDate_GetDiffMonths(x, x + INTERVAL 40 DAYS, 1), hive_QvDate_GetDiffMonths(x, x + INTERVAL 40 DAYS, 1)";
        try {
            spark.sql("SET spark.sql.datetime.java8API.enabled = " + java8Api);
            int checked = 0;
            for (final String zone : List.of("UTC", "Europe/Berlin", "America/New_York", "Pacific/Chatham", "Pacific/Apia")) {
                spark.sql("SET TIME ZONE '" + zone + "'");
                for (final String view : List.of("dates", "instants")) {
                    for (final Row r : spark.sql("SELECT unix_date(to_date(x)), unix_micros(CAST(x AS TIMESTAMP)), " + functions + " FROM " + view).collectAsList()) {
                        final LocalDate day = LocalDate.ofEpochDay(r.getInt(0));
                        final LocalDate hiveDay = LocalDate.ofEpochDay(view.equals("dates")
                                ? DateTimeUtils.fromJavaDate(DateTimeUtils.toJavaDate(r.getInt(0)))
                                : DateTimeUtils.microsToDays(DateTimeUtils.fromJavaTimestamp(DateTimeUtils.toJavaTimestamp(r.getLong(1))), ZoneId.of(zone)));
                        for (int f = 0; f < ONE_DATE.length; ++f) {
                            assertEquals(Dfa.oneDate(ONE_DATE[f], day), r.get(2 + 2 * f), ONE_DATE[f] + " " + day + " " + zone);
                            assertEquals(Dfa.oneDate(ONE_DATE[f], hiveDay), r.get(3 + 2 * f), "hive_" + ONE_DATE[f] + " " + hiveDay + " " + zone);
                        }
                        assertEquals(Dfa.diffMonths(day, day.plusDays(40), 1), r.get(2 + 2 * ONE_DATE.length), "months " + day);
                        ++checked;
                    }
                }
            }
            assertTrue(checked > 5 * 9000, "checked " + checked);
        } finally {
            spark.sql("SET TIME ZONE 'UTC'");
            spark.sql("SET spark.sql.datetime.java8API.enabled = false");
        }
    }

    @Test
    void whatUsersSeeNamesTheFunctionsThemselves() {
        final Exception type = assertThrows(Exception.class, () -> result("qvdate_isleapyear(5)"));
        assertTrue(type.getMessage().contains("cannot cast \"INT\" to \"DATE\""), type.getMessage());
        final Exception arity = assertThrows(Exception.class, () -> result("qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28', 1, 2)"));
        assertTrue(arity.getMessage().contains("qvdate_getdiffmonths") && arity.getMessage().contains("[2, 3]"), arity.getMessage());
        // Spark 4 wraps whatever a Hive function's initialize() throws (the reason is the cause), 3.5 does not.
        final Exception hive = assertThrows(Exception.class, () -> result("hive_QvDate_IsLeapYear(5)"));
        final String reason = (hive.getCause() != null ? hive.getCause() : hive).getMessage();
        assertTrue(reason.contains("QvDate_IsLeapYear: argument 1 must be a DATE or TIMESTAMP, not int"), hive.toString());
        final String described = spark.sql("DESCRIBE FUNCTION qvdate_getdiffmonths").collectAsList().toString();
        assertTrue(described.contains("qvdate_getdiffmonths(start, end[, mode]) - Whole months"), described);
        final String listed = spark.sql("SHOW FUNCTIONS LIKE '*qvdate*'").collectAsList().toString().toLowerCase(Locale.ROOT);
        assertTrue(listed.contains("qvdate_getdiffmonths") && !listed.contains("udf"), listed);
        final String column = spark.sql("SELECT qvdate_getdiffmonths(DATE '2005-01-31', DATE '2005-02-28')").columns()[0];
        assertTrue(column.startsWith("QvDate_GetDiffMonths(") || column.startsWith("qvdate_getdiffmonths("), column);
        assertFalse(column.contains("udf"), column);
    }
}
