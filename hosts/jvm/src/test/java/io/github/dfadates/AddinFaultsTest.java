// SPDX-License-Identifier: MIT
package io.github.dfadates;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.dylibso.chicory.wasm.Parser;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import org.junit.jupiter.api.Assumptions;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/**
 * The loader against the misbehaving add-in built as WebAssembly (DFA_FAULTS_DIR), run by
 * Chicory's interpreter: the problem lines of the registration fault table, which every host
 * gives alike, and what a module that traps or mistypes its exports gets.
 */
class AddinFaultsTest {
    private Path faults;

    @BeforeEach
    void faults() {
        final String dir = System.getenv("DFA_FAULTS_DIR");
        Assumptions.assumeTrue(dir != null && Files.isDirectory(Path.of(dir)), "DFA_FAULTS_DIR names no folder of faulty modules");
        faults = Path.of(dir);
    }

    private Addin faulty(String fault) {
        return new Addin(Parser.parse(faults.resolve(fault + ".wasm")), false);
    }

    @Test
    void eachRowOfTheFaultTableGivesItsProblemLines() throws Exception {
        final List<String> rows = Files.readAllLines(faults.resolve("registration_faults.tsv")).stream().filter(l -> l.matches("^[a-z].*")).toList();
        assertTrue(rows.size() >= 10);
        for (final String row : rows) {
            final String[] f = row.split("\t", -1);
            final List<String> problems = faulty(f[0]).problems();
            assertEquals(Integer.parseInt(f[1]), problems.size(), f[0]);
            if (!problems.isEmpty())
                assertEquals(List.of(f[2], f[3].isEmpty() ? f[2] : f[3]), List.of(problems.get(0), problems.get(problems.size() - 1)), f[0]);
        }
    }

    @Test
    void aTrapInTheHandshakeRefusesTheAddinAndAMistypedExportIsNoCall() {
        final DfaException trap = assertThrows(DfaException.class, () -> faulty("abort"));
        assertTrue(trap.getMessage().startsWith("the add-in failed in its handshake: "), trap.getMessage());
        final Addin mistyped = faulty("wrong-signatures");
        assertEquals(List.of("function 1 'Test_Negate' is exported with the signature (i32, f64) -> (); a host calls it as (i32, i32) -> ()"),
                     mistyped.problems());
        assertEquals(List.of("Test_Sum3"), List.copyOf(mistyped.functions().keySet()));
    }
}
