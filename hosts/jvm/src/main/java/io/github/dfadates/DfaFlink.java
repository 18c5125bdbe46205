// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.time.Instant;
import java.time.LocalDateTime;
import java.time.ZoneId;
import java.util.ArrayList;
import java.util.List;
import java.util.Optional;

import org.apache.flink.configuration.ConfigOption;
import org.apache.flink.configuration.ConfigOptions;
import org.apache.flink.table.api.TableEnvironment;
import org.apache.flink.table.api.DataTypes;
import org.apache.flink.table.api.ValidationException;
import org.apache.flink.table.catalog.DataTypeFactory;
import org.apache.flink.table.functions.FunctionDefinition;
import org.apache.flink.table.functions.ScalarFunction;
import org.apache.flink.table.functions.SpecializedFunction;
import org.apache.flink.table.functions.UserDefinedFunction;
import org.apache.flink.table.types.DataType;
import org.apache.flink.table.types.inference.ArgumentCount;
import org.apache.flink.table.types.inference.CallContext;
import org.apache.flink.table.types.inference.ConstantArgumentCount;
import org.apache.flink.table.types.inference.InputTypeStrategy;
import org.apache.flink.table.types.inference.Signature;
import org.apache.flink.table.types.inference.TypeInference;
import org.apache.flink.table.types.inference.TypeStrategies;
import org.apache.flink.table.types.logical.LogicalType;
import org.apache.flink.table.types.logical.LogicalTypeFamily;
import org.apache.flink.table.types.logical.LogicalTypeRoot;

/**
 * The add-in's functions as Flink {@code ScalarFunction}s, one class each under its entry name:
 * {@code CREATE FUNCTION qvdate_getdiffmonths AS 'io.github.dfadates.DfaFlink$QvDate_GetDiffMonths'
 * LANGUAGE JAVA}, or all seven by {@link #register(TableEnvironment)}. Dates are {@code DATE} (its
 * day), {@code TIMESTAMP} (its date) and {@code TIMESTAMP_LTZ} (its day in the session time zone,
 * {@code table.local-time-zone}, as {@code CAST(x AS DATE)} gives it), the mode of a difference any
 * number, optional; another type or count of arguments is Flink's validation error naming the
 * function. Results are {@code INT}, null where a date or the mode is null or a date is outside
 * the add-in's calendar.
 */
@SuppressWarnings("serial")  // Flink ships the functions to its tasks serialised; the default version serves
public final class DfaFlink {
    private DfaFlink() {}

    // Flink's own option of the session time zone ("default": the JVM's).
    private static final ConfigOption<String> LOCAL_TIME_ZONE = ConfigOptions.key("table.local-time-zone").stringType().defaultValue("default");

    /**
     * Registers the seven as temporary system functions of this environment, under their entry
     * names (Flink SQL ignores their case).
     */
    public static void register(TableEnvironment env) {
        for (final Addin.Function function : new Addin().functions().values()) {
            if (function.inputs() != 1 && function.inputs() != 3) continue;
            final String entry = function.entryName();
            try {
                env.createTemporarySystemFunction(entry, (Function) Class.forName(DfaFlink.class.getName() + "$" + entry)
                        .getDeclaredConstructor().newInstance());
            } catch (ReflectiveOperationException e) {
                throw new IllegalStateException("the jar has no Flink function of the add-in's " + entry, e);
            }
        }
    }

    /** The common part: the entry name, how many dates, how the arguments are read. */
    public abstract static class Function extends ScalarFunction implements SpecializedFunction {
        private final String entry;
        private final boolean difference;
        private ZoneId zone;  // the session's, where an argument is a TIMESTAMP_LTZ

        Function(String entry, boolean difference) {
            this.entry = entry;
            this.difference = difference;
        }

        @Override
        public UserDefinedFunction specialize(SpecializedContext context) {
            final String name = context.getConfiguration().get(LOCAL_TIME_ZONE);
            try {
                final Function specialized = getClass().getDeclaredConstructor().newInstance();
                specialized.zone = "default".equals(name) ? ZoneId.systemDefault() : ZoneId.of(name);
                return specialized;
            } catch (ReflectiveOperationException e) {
                throw new IllegalStateException(e);
            }
        }

        @Override
        public TypeInference getTypeInference(DataTypeFactory typeFactory) {
            return TypeInference.newBuilder().inputTypeStrategy(new Arguments()).outputTypeStrategy(TypeStrategies.explicit(DataTypes.INT())).build();
        }

        /** Each date as a day from 1970-01-01 ({@code DATE}), a {@code LocalDateTime} or an {@code Instant}; the mode a double. */
        public Integer eval(Object... arguments) {
            final Integer first = day(arguments[0]);
            if (!difference) return Dfa.oneDateOfDay(entry, first);
            final Double mode = arguments.length < 3 ? Double.valueOf(0) : (Double) arguments[2];
            return Dfa.differenceOfDays(entry, first, day(arguments[1]), mode);
        }

        private Integer day(Object value) {
            if (value == null) return null;
            if (value instanceof Integer epochDay) return epochDay;
            final long day = value instanceof LocalDateTime time ? time.toLocalDate().toEpochDay()
                    : ((Instant) value).atZone(zone != null ? zone : ZoneId.systemDefault()).toLocalDate().toEpochDay();
            // Beyond the days of int, which no calendar of the add-in reaches: no day.
            return day == (int) day ? (int) day : null;
        }

        /** Dates of the three kinds and a number, as the function's signatures say. */
        private final class Arguments implements InputTypeStrategy {
            @Override
            public ArgumentCount getArgumentCount() {
                return difference ? ConstantArgumentCount.between(2, 3) : ConstantArgumentCount.of(1);
            }

            @Override
            public Optional<List<DataType>> inferInputTypes(CallContext call, boolean throwOnFailure) {
                final List<DataType> given = call.getArgumentDataTypes(), expected = new ArrayList<>();
                for (int i = 0; i < given.size(); ++i) {
                    final LogicalType type = given.get(i).getLogicalType();
                    final DataType read = i < (difference ? 2 : 1) ? dateType(type) : modeType(type);
                    if (read == null) {
                        if (throwOnFailure)
                            throw new ValidationException(entry + ": argument " + (i + 1) + " must be "
                                    + (i < (difference ? 2 : 1) ? "a DATE, TIMESTAMP or TIMESTAMP_LTZ" : "a number") + ", not " + type);
                        return Optional.empty();
                    }
                    expected.add(read);
                }
                return Optional.of(expected);
            }

            private static DataType dateType(LogicalType type) {
                return switch (type.getTypeRoot()) {
                    case DATE, NULL -> DataTypes.DATE().bridgedTo(Integer.class);
                    case TIMESTAMP_WITHOUT_TIME_ZONE -> DataTypes.of(type).bridgedTo(LocalDateTime.class);
                    case TIMESTAMP_WITH_LOCAL_TIME_ZONE -> DataTypes.of(type).bridgedTo(Instant.class);
                    default -> null;
                };
            }

            private static DataType modeType(LogicalType type) {
                return type.is(LogicalTypeFamily.NUMERIC) || type.is(LogicalTypeRoot.NULL) ? DataTypes.DOUBLE() : null;
            }

            @Override
            public List<Signature> getExpectedSignatures(FunctionDefinition definition) {
                final Signature.Argument date = Signature.Argument.of("<DATE | TIMESTAMP | TIMESTAMP_LTZ>");
                if (!difference) return List.of(Signature.of(date));
                return List.of(Signature.of(date, date), Signature.of(date, date, Signature.Argument.of("<NUMERIC>")));
            }
        }
    }

    /** {@link Dfa#diffWeeks(java.time.temporal.Temporal, java.time.temporal.Temporal, Double)}. */
    public static final class QvDate_GetDiffWeeks extends Function {
        public QvDate_GetDiffWeeks() { super("QvDate_GetDiffWeeks", true); }
    }

    /** {@link Dfa#diffMonths(java.time.temporal.Temporal, java.time.temporal.Temporal, Double)}. */
    public static final class QvDate_GetDiffMonths extends Function {
        public QvDate_GetDiffMonths() { super("QvDate_GetDiffMonths", true); }
    }

    /** {@link Dfa#diffYears(java.time.temporal.Temporal, java.time.temporal.Temporal, Double)}. */
    public static final class QvDate_GetDiffYears extends Function {
        public QvDate_GetDiffYears() { super("QvDate_GetDiffYears", true); }
    }

    /** {@link Dfa#isLeapYear(java.time.temporal.Temporal)}. */
    public static final class QvDate_IsLeapYear extends Function {
        public QvDate_IsLeapYear() { super("QvDate_IsLeapYear", false); }
    }

    /** {@link Dfa#daysInMonth(java.time.temporal.Temporal)}. */
    public static final class QvDate_DaysInMonth extends Function {
        public QvDate_DaysInMonth() { super("QvDate_DaysInMonth", false); }
    }

    /** {@link Dfa#daysInYear(java.time.temporal.Temporal)}. */
    public static final class QvDate_DaysInYear extends Function {
        public QvDate_DaysInYear() { super("QvDate_DaysInYear", false); }
    }

    /** {@link Dfa#weeksInYear(java.time.temporal.Temporal)}. */
    public static final class QvDate_WeeksInYear extends Function {
        public QvDate_WeeksInYear() { super("QvDate_WeeksInYear", false); }
    }
}
