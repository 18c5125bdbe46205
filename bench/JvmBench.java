// SPDX-License-Identifier: MIT
// The JVM host's cost a call, beside java.time's nearest count (ChronoUnit.MONTHS.between) in
// the same run: bench/jvm-bench.sh.
import io.github.dfadates.Dfa;
import java.time.LocalDate;
import java.time.temporal.ChronoUnit;
import java.util.Random;
import java.util.function.IntUnaryOperator;

public final class JvmBench {
    static final int N = 1 << 16;
    static final LocalDate[] A = new LocalDate[N], B = new LocalDate[N];
    static final double[] SA = new double[N], SB = new double[N];

    // Best of five rounds of 2^22 calls, in ns a call.
    static double time(IntUnaryOperator call) {
        double best = Double.MAX_VALUE;
        long sink = 0;
        for (int round = 0; round < 6; ++round) {
            final long start = System.nanoTime();
            for (int i = 0; i < 1 << 22; ++i) sink += call.applyAsInt(i & (N - 1));
            final double ns = (System.nanoTime() - start) / (double) (1 << 22);
            if (round > 0) best = Math.min(best, ns);  // the first round warms up
        }
        if (sink == 42) System.out.print("");
        return best;
    }

    public static void main(String[] args) {
        final Random random = new Random(1209);
        for (int i = 0; i < N; ++i) {
            A[i] = LocalDate.ofEpochDay(-25567 + random.nextInt(73049));
            B[i] = LocalDate.ofEpochDay(-25567 + random.nextInt(73049));
            SA[i] = Dfa.serial(A[i]);
            SB[i] = Dfa.serial(B[i]);
        }
        final double peer = time(i -> (int) ChronoUnit.MONTHS.between(A[i], B[i]));
        final double api = time(i -> Dfa.diffMonths(A[i], B[i], 0.0));
        final double serials = time(i -> (int) Dfa.call("QvDate_GetDiffMonths", SA[i], SB[i], 0));
        final double leap = time(i -> Dfa.isLeapYear(A[i]));
        final double leapPeer = time(i -> A[i].isLeapYear() ? 1 : 0);
        System.out.printf("ns a call: Dfa.diffMonths(LocalDate) %.1f, Dfa.call on serials %.1f, ChronoUnit.MONTHS.between %.1f (%.1fx)%n",
                          api, serials, peer, api / peer);
        System.out.printf("ns a call: Dfa.isLeapYear(LocalDate) %.1f, LocalDate.isLeapYear %.1f (%.1fx)%n", leap, leapPeer, leap / leapPeer);
    }
}
