// SPDX-License-Identifier: MIT
package io.github.dfadates;

import com.dylibso.chicory.runtime.ByteArrayMemory;
import com.dylibso.chicory.runtime.ExportFunction;
import com.dylibso.chicory.runtime.Instance;
import com.dylibso.chicory.runtime.Memory;
import com.dylibso.chicory.wasm.WasmModule;
import com.dylibso.chicory.wasm.types.FunctionType;
import com.dylibso.chicory.wasm.types.ValType;
import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * One instance of the add-in's module, loaded the way a spreadsheet host loads the add-in: the
 * registration handshake runs (function count, function data, language), then worksheet
 * functions are called with doubles passed through pointers into the module's memory. Nothing
 * the module reports is trusted: exports and their signatures are checked before a call, counts
 * and types before use, texts are read at most 255 bytes long. The host writes only into
 * scratch pages it adds to the module's memory. An instance is not for two threads at once.
 */
final class Addin {
    // The public header's constants (include/dfa.h; the tests hold these to it).
    static final int TEXT_BUFFER_SIZE = 256;
    static final int MAX_PARAMETERS = 4;
    static final int PARAM_DOUBLE_PTR = 0;
    static final int ENGLISH = 0x0409;

    private static final int PAGE = 65536;
    // The scratch area: a result and three inputs, the handshake's 16-bit values, two text
    // buffers, and the parameter types.
    private static final int RESULT = 0, U16A = 32, U16B = 34, TEXT1 = 64, TEXT2 = TEXT1 + TEXT_BUFFER_SIZE, TYPES = 1024;
    private static final int UNWRITTEN = Integer.MIN_VALUE;
    // Problem lines listed one by one; the rest are counted in the last line.
    private static final int MAX_LISTED_PROBLEMS = 20;
    private static final int NAME_BYTES_SHOWN = 64;
    // The registration exports and how many pointers each takes.
    private static final Map<String, Integer> REGISTRATION =
            Map.of("GetFunctionCount", 1, "GetFunctionData", 5, "GetParameterDescription", 4, "SetLanguage", 1);

    /** A function a host can call: its entry name, its inputs and its export. */
    record Function(String entryName, int inputs, ExportFunction export) {}

    private final Instance instance;
    private final Memory memory;
    private final int scratch;
    // The pointers a call passes, by its number of inputs: the result, then each input.
    private final long[][] pointers = new long[MAX_PARAMETERS][];
    private final Map<String, Function> functions = new LinkedHashMap<>();
    private final List<String> problems = new ArrayList<>();
    private int unreported;

    /** The add-in this jar carries, compiled to JVM bytecode. */
    Addin() {
        this(DfaModule.load(), true);
    }

    /** An add-in's module, run compiled (this jar's own) or interpreted (any other). */
    Addin(WasmModule module, boolean compiled) {
        try {
            if (module.importSection().importCount() > 0) throw new DfaException("the add-in's module imports what a host does not give");
            // Memory as a Java array: a call's writes and reads are plain array accesses.
            final Instance.Builder builder = Instance.builder(module).withMemoryFactory(ByteArrayMemory::new);
            instance = (compiled ? builder.withMachineFactory(DfaModule::create) : builder).build();
            memory = instance.memory();
            if (memory == null) throw new DfaException("the add-in's module exports no memory");
            for (final Map.Entry<String, Integer> export : REGISTRATION.entrySet()) {
                final String problem = mistyped(export.getKey(), pointers(export.getValue()));
                if (problem != null) throw new DfaException("the add-in's module " + problem);
            }
            // A module built as a library (a reactor) sets itself up in _initialize, before anything else.
            if (mistyped("_initialize", pointers(0)) == null) instance.export("_initialize").apply();
            final int pages = memory.grow((TYPES + 4 * 65535 + PAGE - 1) / PAGE);
            if (pages < 0) throw new DfaException("the add-in's memory cannot grow by the host's scratch pages");
            scratch = pages * PAGE;
            for (int inputs = 0; inputs < MAX_PARAMETERS; ++inputs) {
                pointers[inputs] = new long[1 + inputs];
                for (int i = 0; i <= inputs; ++i) pointers[inputs][i] = scratch + RESULT + 8L * i;
            }
            handshake();
        } catch (DfaException e) {
            throw e;
        } catch (RuntimeException | StackOverflowError e) {
            throw new DfaException("the add-in failed in its handshake: " + e, e);
        }
    }

    /** The functions a host can call, by entry name, in the add-in's order. */
    Map<String, Function> functions() {
        return Collections.unmodifiableMap(functions);
    }

    /** One line for each function the add-in registers that a host cannot call. */
    List<String> problems() {
        return Collections.unmodifiableList(problems);
    }

    /** The function of that entry name, or null. */
    Function function(String entryName) {
        return functions.get(entryName);
    }

    /** Calls a worksheet function with one number per input; returns what it writes. */
    double call(Function function, double... inputs) {
        for (int i = 0; i < inputs.length; ++i) memory.writeF64(scratch + 8 * (1 + i), inputs[i]);
        return run(function, inputs.length);
    }

    /** The same for a function of one input, without an array. */
    double call(Function function, double a) {
        memory.writeF64(scratch + 8, a);
        return run(function, 1);
    }

    /** The same for a function of three inputs, without an array. */
    double call(Function function, double a, double b, double c) {
        memory.writeF64(scratch + 8, a);
        memory.writeF64(scratch + 16, b);
        memory.writeF64(scratch + 24, c);
        return run(function, 3);
    }

    private double run(Function function, int inputs) {
        memory.writeF64(scratch + RESULT, 0);
        try {
            function.export().apply(pointers[inputs]);
        } catch (RuntimeException | StackOverflowError e) {
            throw new DfaException(function.entryName() + " failed in the add-in: " + e, e);
        }
        return memory.readDouble(scratch + RESULT);
    }

    private static List<ValType> pointers(int count) {
        return Collections.nCopies(count, ValType.I32);
    }

    // Why the export cannot be called with these parameters and no result, or null.
    private String mistyped(String name, List<ValType> parameters) {
        final FunctionType type = exportedFunction(name);
        if (type == null) return "does not export " + name;
        final String problem = signatureProblem(type, parameters);
        return problem == null ? null : "exports " + name + " " + problem;
    }

    // The signature of the function the module exports under that name, or null.
    private FunctionType exportedFunction(String name) {
        try {
            return instance.export(name) == null ? null : instance.exportType(name);
        } catch (RuntimeException e) {
            return null;
        }
    }

    // Why a function of that type cannot be called with these parameters and no result, or null.
    private static String signatureProblem(FunctionType type, List<ValType> parameters) {
        if (type.params().equals(parameters) && type.returns().isEmpty()) return null;
        return "with the signature " + signature(type.params(), type.returns()) + "; a host calls it as " + signature(parameters, List.of());
    }

    // As WebAssembly writes it: (i32, f64) -> ().
    private static String signature(List<ValType> parameters, List<ValType> results) {
        return "(" + String.join(", ", parameters.stream().map(Addin::typeName).toList()) + ") -> ("
                + String.join(", ", results.stream().map(Addin::typeName).toList()) + ")";
    }

    private static String typeName(ValType type) {
        return type.equals(ValType.I32) ? "i32" : type.equals(ValType.I64) ? "i64" : type.equals(ValType.F32) ? "f32"
                : type.equals(ValType.F64) ? "f64" : type.toString();
    }

    private void handshake() {
        final ExportFunction getCount = instance.export("GetFunctionCount"), getData = instance.export("GetFunctionData"),
                setLanguage = instance.export("SetLanguage");
        memory.writeShort(scratch + U16A, (short) 0);
        getCount.apply(scratch + U16A);
        final int count = (int) memory.readU16(scratch + U16A);
        for (int i = 0; i < count; ++i) {
            memory.writeShort(scratch + U16A, (short) i);
            memory.writeShort(scratch + U16B, (short) 0);
            memory.write(scratch + TEXT1, new byte[2 * TEXT_BUFFER_SIZE]);
            for (int p = 0; p < MAX_PARAMETERS; ++p) memory.writeI32(scratch + TYPES + 4 * p, UNWRITTEN);
            getData.apply(scratch + U16A, scratch + TEXT1, scratch + U16B, scratch + TYPES, scratch + TEXT2);
            final int parameters = (int) memory.readU16(scratch + U16B);
            if (parameters == 0) continue;  // the index names no function
            final byte[] entryBytes = text(scratch + TEXT1);
            final String entryName = exportName(entryBytes);
            final String problem = check(entryBytes, entryName, parameters);
            if (problem != null) {
                reject("function " + i + " " + problem);
                continue;
            }
            functions.put(entryName, new Function(entryName, parameters - 1, instance.export(entryName)));
        }
        memory.writeShort(scratch + U16A, (short) ENGLISH);
        setLanguage.apply(scratch + U16A);
    }

    // Why a function the module reports cannot be called, or null: the same words as every host's.
    private String check(byte[] entryBytes, String entryName, int parameters) {
        if (entryBytes.length == 0) return "has an empty entry name";
        final String what = "'" + Printable.of(entryBytes, NAME_BYTES_SHOWN) + "'";
        if (parameters > MAX_PARAMETERS) return what + " has " + parameters + " parameters; supported are 1 to " + MAX_PARAMETERS + ", the result included";
        for (int p = 0; p < parameters; ++p) {
            final int type = memory.readInt(scratch + TYPES + 4 * p);
            if (type != PARAM_DOUBLE_PTR)
                return what + ": parameter " + p + " has type " + (type == UNWRITTEN ? "(not written)" : type) + "; only 0, a pointer to a double, is supported";
        }
        if (entryName != null && functions.containsKey(entryName)) return what + " is registered twice";
        final FunctionType type = entryName == null ? null : exportedFunction(entryName);
        if (type == null) return what + " is not exported by the library";
        final String problem = signatureProblem(type, pointers(parameters));
        return problem == null ? null : what + " is exported " + problem;
    }

    private void reject(String problem) {
        if (problems.size() < MAX_LISTED_PROBLEMS) {
            problems.add(problem);
            return;
        }
        if (++unreported == 1) problems.add("");
        problems.set(problems.size() - 1, "and " + unreported + " more functions that cannot be called");
    }

    // A text the module wrote: up to its terminator, at most 255 bytes.
    private byte[] text(int address) {
        final byte[] bytes = memory.readBytes(address, TEXT_BUFFER_SIZE - 1);
        int end = 0;
        while (end < bytes.length && bytes[end] != 0) ++end;
        return Arrays.copyOf(bytes, end);
    }

    // An entry name as the export it names, or null: no export's name is invalid UTF-8.
    private static String exportName(byte[] bytes) {
        try {
            return StandardCharsets.UTF_8.newDecoder().decode(ByteBuffer.wrap(bytes)).toString();
        } catch (CharacterCodingException e) {
            return null;
        }
    }
}
