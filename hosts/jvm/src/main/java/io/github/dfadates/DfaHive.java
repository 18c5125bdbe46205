// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.time.LocalDate;
import java.time.temporal.Temporal;
import org.apache.hadoop.hive.ql.exec.UDFArgumentException;
import org.apache.hadoop.hive.ql.exec.UDFArgumentLengthException;
import org.apache.hadoop.hive.ql.exec.UDFArgumentTypeException;
import org.apache.hadoop.hive.ql.udf.generic.GenericUDF;
import org.apache.hadoop.hive.serde2.objectinspector.ObjectInspector;
import org.apache.hadoop.hive.serde2.objectinspector.PrimitiveObjectInspector;
import org.apache.hadoop.hive.serde2.objectinspector.primitive.PrimitiveObjectInspectorFactory;
import org.apache.hadoop.hive.serde2.objectinspector.primitive.PrimitiveObjectInspectorUtils;

/**
 * The add-in's functions as Hive {@code GenericUDF}s, one class each under its entry name:
 * {@code CREATE FUNCTION qvdate_getdiffmonths AS 'io.github.dfadates.DfaHive$QvDate_GetDiffMonths'
 * USING JAR '...'}. Dates are {@code DATE} or {@code TIMESTAMP} (by its own day), the mode of a
 * difference any number, optional; another type is Hive's argument error naming the function.
 */
public final class DfaHive {
    private DfaHive() {}

    /** The common part: the entry name, how many dates, and how arguments are read. */
    public abstract static class Function extends GenericUDF {
        private final String entry;
        private final boolean difference;
        private transient PrimitiveObjectInspector[] inputs;

        Function(String entry, boolean difference) {
            this.entry = entry;
            this.difference = difference;
        }

        @Override
        public ObjectInspector initialize(ObjectInspector[] arguments) throws UDFArgumentException {
            final int dates = difference ? 2 : 1;
            if (arguments.length < dates || arguments.length > (difference ? 3 : 1))
                throw new UDFArgumentLengthException(entry + " takes " + (difference ? "two dates and an optional mode" : "one date"));
            inputs = new PrimitiveObjectInspector[arguments.length];
            for (int i = 0; i < arguments.length; ++i) {
                final boolean date = i < dates;
                if (arguments[i] instanceof PrimitiveObjectInspector primitive && accepts(primitive.getPrimitiveCategory(), date)) {
                    inputs[i] = primitive;
                } else {
                    throw new UDFArgumentTypeException(i, entry + ": argument " + (i + 1) + " must be " + (date ? "a DATE or TIMESTAMP" : "a number")
                            + ", not " + arguments[i].getTypeName());
                }
            }
            return PrimitiveObjectInspectorFactory.javaIntObjectInspector;
        }

        private static boolean accepts(PrimitiveObjectInspector.PrimitiveCategory category, boolean date) {
            switch (category) {
                case VOID: return true;
                case DATE: case TIMESTAMP: return date;
                case BYTE: case SHORT: case INT: case LONG: case FLOAT: case DOUBLE: case DECIMAL: return !date;
                default: return false;
            }
        }

        @Override
        public Object evaluate(DeferredObject[] arguments) throws org.apache.hadoop.hive.ql.metadata.HiveException {
            final Temporal first = day(arguments[0].get(), inputs[0]);
            if (!difference) return Dfa.oneDate(entry, first);
            final Object mode = arguments.length == 3 ? arguments[2].get() : Double.valueOf(0);
            return Dfa.difference(entry, first, day(arguments[1].get(), inputs[1]),
                    mode == null ? null : arguments.length == 3 ? PrimitiveObjectInspectorUtils.getDouble(mode, inputs[2]) : 0.0);
        }

        private static Temporal day(Object value, PrimitiveObjectInspector inspector) {
            final Object java = value == null ? null : inspector.getPrimitiveJavaObject(value);
            if (java instanceof java.sql.Date date) return date.toLocalDate();
            if (java instanceof java.sql.Timestamp time) return time.toLocalDateTime();
            return java instanceof LocalDate date ? date : null;
        }

        @Override
        public String getDisplayString(String[] children) {
            return getStandardDisplayString(entry, children);
        }
    }

    /** {@link Dfa#diffWeeks(Temporal, Temporal, Double)}. */
    public static final class QvDate_GetDiffWeeks extends Function {
        public QvDate_GetDiffWeeks() { super("QvDate_GetDiffWeeks", true); }
    }

    /** {@link Dfa#diffMonths(Temporal, Temporal, Double)}. */
    public static final class QvDate_GetDiffMonths extends Function {
        public QvDate_GetDiffMonths() { super("QvDate_GetDiffMonths", true); }
    }

    /** {@link Dfa#diffYears(Temporal, Temporal, Double)}. */
    public static final class QvDate_GetDiffYears extends Function {
        public QvDate_GetDiffYears() { super("QvDate_GetDiffYears", true); }
    }

    /** {@link Dfa#isLeapYear(Temporal)}. */
    public static final class QvDate_IsLeapYear extends Function {
        public QvDate_IsLeapYear() { super("QvDate_IsLeapYear", false); }
    }

    /** {@link Dfa#daysInMonth(Temporal)}. */
    public static final class QvDate_DaysInMonth extends Function {
        public QvDate_DaysInMonth() { super("QvDate_DaysInMonth", false); }
    }

    /** {@link Dfa#daysInYear(Temporal)}. */
    public static final class QvDate_DaysInYear extends Function {
        public QvDate_DaysInYear() { super("QvDate_DaysInYear", false); }
    }

    /** {@link Dfa#weeksInYear(Temporal)}. */
    public static final class QvDate_WeeksInYear extends Function {
        public QvDate_WeeksInYear() { super("QvDate_WeeksInYear", false); }
    }
}
