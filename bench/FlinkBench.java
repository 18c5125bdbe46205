// SPDX-License-Identifier: MIT
import java.util.Map;
import org.apache.flink.configuration.Configuration;
import org.apache.flink.table.api.EnvironmentSettings;
import org.apache.flink.table.api.TableEnvironment;
import org.apache.flink.types.Row;
import org.apache.flink.util.CloseableIterator;

/**
 * What a row costs in Flink SQL (batch, one task, its local cluster): each query sums a function
 * over ROWS rows of two dates of 1900-2100 computed from random numbers, beside Flink's own nearest
 * built-ins and beside the dates alone; the fastest of REPEAT runs, ns per row of the query.
 */
public final class FlinkBench {
    private static final long ROWS = Long.parseLong(System.getenv().getOrDefault("ROWS", "1000000"));
    private static final int REPEAT = Integer.parseInt(System.getenv().getOrDefault("REPEAT", "2"));

    public static void main(String[] args) throws Exception {
        final TableEnvironment env = TableEnvironment.create(EnvironmentSettings.newInstance().inBatchMode()
                .withConfiguration(Configuration.fromMap(Map.of("parallelism.default", "1"))).build());
        io.github.dfadates.DfaFlink.register(env);
        env.executeSql("CREATE TEMPORARY TABLE n (i BIGINT) WITH ('connector' = 'datagen', 'number-of-rows' = '" + ROWS + "', 'rows-per-second' = '1000000000', "
                + "'fields.i.kind' = 'random', 'fields.i.min' = '0', 'fields.i.max' = '1000000000')");
        env.executeSql("CREATE TEMPORARY VIEW t AS SELECT TIMESTAMPADD(DAY, CAST(MOD(i * 7919, 73049) AS INT), DATE '1900-01-01') AS a, "
                + "TIMESTAMPADD(DAY, CAST(MOD(i * 104729, 73049) AS INT), DATE '1900-01-01') AS b FROM n");
        final String[][] queries = {
            {"the dates alone: COUNT(a) + COUNT(b)", null},
            {"YEAR(a)", "YEAR(a)"},
            {"TIMESTAMPDIFF(MONTH, a, b)", "TIMESTAMPDIFF(MONTH, a, b)"},
            {"TIMESTAMPDIFF(WEEK, a, b)", "TIMESTAMPDIFF(WEEK, a, b)"},
            {"QvDate_GetDiffMonths(a, b)", "QvDate_GetDiffMonths(a, b)"},
            {"QvDate_GetDiffWeeks(a, b)", "QvDate_GetDiffWeeks(a, b)"},
            {"QvDate_IsLeapYear(a)", "QvDate_IsLeapYear(a)"},
        };
        System.out.printf("ns per row over %,d rows, Flink batch, one task%n", ROWS);
        for (final String[] q : queries) {
            long best = Long.MAX_VALUE;
            for (int r = 0; r < REPEAT; ++r) {
                final long start = System.nanoTime();
                try (CloseableIterator<Row> rows = env.sqlQuery("SELECT " + (q[1] == null ? "COUNT(a) + COUNT(b)" : "SUM(" + q[1] + ")") + " FROM t").execute().collect()) {
                    rows.next();
                }
                best = Math.min(best, System.nanoTime() - start);
            }
            System.out.printf("  %-40s %8.1f%n", q[0], (double) best / ROWS);
        }
    }
}
