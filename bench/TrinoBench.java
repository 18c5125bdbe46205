// SPDX-License-Identifier: MIT
import static io.trino.testing.TestingSession.testSessionBuilder;

import io.trino.testing.StandaloneQueryRunner;

/**
 * What a row costs in Trino SQL (Trino's own server in this process, one thread a task): each
 * query sums a function over ROWS rows of two dates of 1900-2100 computed from the row's number,
 * beside Trino's own nearest built-ins and beside the dates alone; the fastest of REPEAT runs, ns
 * per row of the query.
 */
public final class TrinoBench {
    private static final long SIDE = (long) Math.sqrt(Long.parseLong(System.getenv().getOrDefault("ROWS", "4000000")));
    private static final int REPEAT = Integer.parseInt(System.getenv().getOrDefault("REPEAT", "3"));

    public static void main(String[] args) {
        final java.io.PrintStream out = System.out;  // Trino's server sends System.out to its log
        try (StandaloneQueryRunner trino = new StandaloneQueryRunner(testSessionBuilder().setSystemProperty("task_concurrency", "1").build())) {
            trino.installPlugin(new io.github.dfadates.DfaTrino());
            // Trino's sequences stop at 10,000 values: the rows are a square of two.
            final String from = " FROM (SELECT date_add('day', (n * 7919) % 73049, DATE '1900-01-01') AS a, date_add('day', (n * 104729) % 73049, DATE '1900-01-01') AS b"
                    + " FROM (SELECT i * " + SIDE + " + j AS n FROM UNNEST(sequence(0, " + (SIDE - 1) + ")) AS x(i) CROSS JOIN UNNEST(sequence(0, " + (SIDE - 1) + ")) AS y(j)))";
            final String[][] queries = {
                {"the dates alone: date_diff('day', a, b)", "sum(date_diff('day', a, b))"},
                {"year(a)", "sum(year(a))"},
                {"date_diff('month', a, b)", "sum(date_diff('month', a, b))"},
                {"date_diff('week', a, b)", "sum(date_diff('week', a, b))"},
                {"qvdate_getdiffmonths(a, b)", "sum(qvdate_getdiffmonths(a, b))"},
                {"qvdate_getdiffweeks(a, b)", "sum(qvdate_getdiffweeks(a, b))"},
                {"qvdate_isleapyear(a)", "sum(qvdate_isleapyear(a))"},
                {"year(t), t a TIMESTAMP(3)", "sum(year(CAST(a AS timestamp(3))))"},
                {"qvdate_isleapyear(t), t a TIMESTAMP(3)", "sum(qvdate_isleapyear(CAST(a AS timestamp(3))))"},
            };
            for (final String[] q : queries) trino.execute("SELECT " + q[1] + from);  // Trino compiles and warms each first
            out.printf("ns per row over %,d rows, Trino, one thread a task%n", SIDE * SIDE);
            for (final String[] q : queries) {
                long best = Long.MAX_VALUE;
                for (int r = 0; r < REPEAT; ++r) {
                    final long start = System.nanoTime();
                    trino.execute("SELECT " + q[1] + from);
                    best = Math.min(best, System.nanoTime() - start);
                }
                out.printf("  %-40s %8.1f%n", q[0], (double) best / (SIDE * SIDE));
            }
        }
    }
}
