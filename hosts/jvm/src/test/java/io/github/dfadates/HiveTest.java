// SPDX-License-Identifier: MIT
package io.github.dfadates;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.file.Files;
import java.nio.file.Path;
import java.time.LocalDate;
import java.util.List;
import java.util.Random;
import java.util.stream.IntStream;
import java.util.stream.LongStream;
import org.apache.hadoop.hive.ql.metadata.HiveException;
import org.junit.jupiter.api.Assumptions;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The Hive functions as Hive 2 (Spark's jars, without Spark) and Hive 4 (DFA_HIVE4's jar) call
 * them, in a class loader of their own: every day of years -5 to 1 and 1580 to 1585, random days
 * of 1 to 9999, and TIMESTAMPs within a day of the start of a month of 1800 to 2200.
 */
class HiveTest {
    private static final long FIRST = LocalDate.of(1, 1, 1).toEpochDay(), LAST = LocalDate.of(9999, 12, 31).toEpochDay();

    @ParameterizedTest
    @ValueSource(strings = {"2", "4"})
    void everyValueGivesHivesOwnDay(String version) throws Exception {
        final List<Path> jars = version.equals("4") ? List.of(Path.of(System.getProperty("dfa.hive4", ""))) : List.of();
        Assumptions.assumeTrue(HiveTest.class.getClassLoader().getResource("org/apache/hadoop/hive/ql/udf/generic/GenericUDF.class") != null
                && jars.stream().allMatch(Files::isRegularFile), "Hive's jars are not here");
        final Random random = new Random(34);
        final int[] days = IntStream.concat(IntStream.concat(
                IntStream.rangeClosed((int) LocalDate.of(-5, 1, 1).toEpochDay(), (int) LocalDate.of(1, 12, 31).toEpochDay()),
                IntStream.rangeClosed((int) LocalDate.of(1580, 1, 1).toEpochDay(), (int) LocalDate.of(1585, 12, 31).toEpochDay())),
                random.ints(3000, (int) FIRST, (int) LAST + 1)).toArray();
        final long[] seconds = LongStream.generate(() -> LocalDate.of(1800 + random.nextInt(400), 1 + random.nextInt(12), 1).toEpochDay() * 86400
                + random.nextInt(2 * 86400) - 86400).limit(3000).toArray();
        final List<String> owned = version.equals("4") ? List.of("io.github.dfadates.", "org.apache.hadoop.hive.", "org.apache.hive.")
                : List.of("io.github.dfadates.");
        try (IsolatedLoader loader = new IsolatedLoader(jars, owned, List.of("org.apache.spark."))) {
            final Class<?> harness = loader.loadClass(HiveHarness.class.getName());
            assertTrue(version.equals("4") == harness.getClassLoader().loadClass("org.apache.hadoop.hive.ql.udf.generic.GenericUDF")
                    .getProtectionDomain().getCodeSource().getLocation().toString().contains("hive-exec-4"), "the Hive under test");
            @SuppressWarnings("unchecked")
            final List<String> differences = (List<String>) harness.getMethod("differences", int[].class, long[].class).invoke(null, days, seconds);
            assertEquals(List.of(), differences.subList(0, Math.min(5, differences.size())), differences.size() + " differ");
        }
    }

    @org.junit.jupiter.api.Test
    void aDateOfAClassNoReadingKnowsIsAnError() {
        final HiveException e = assertThrows(HiveException.class, () -> HiveDays.days(new StringBuilder("2004-02-10")));
        assertTrue(e.getMessage().contains("java.lang.StringBuilder"), e.getMessage());
    }
}
