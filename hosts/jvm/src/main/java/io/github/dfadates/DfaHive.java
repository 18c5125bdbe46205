// SPDX-License-Identifier: MIT
package io.github.dfadates;

import org.apache.hadoop.hive.ql.exec.UDFArgumentException;
import org.apache.hadoop.hive.ql.exec.UDFArgumentLengthException;
import org.apache.hadoop.hive.ql.exec.UDFArgumentTypeException;
import org.apache.hadoop.hive.ql.metadata.HiveException;
import org.apache.hadoop.hive.ql.udf.generic.GenericUDF;
import org.apache.hadoop.hive.serde2.objectinspector.ObjectInspector;
import org.apache.hadoop.hive.serde2.objectinspector.PrimitiveObjectInspector;
import org.apache.hadoop.hive.serde2.objectinspector.primitive.PrimitiveObjectInspectorFactory;
import org.apache.hadoop.hive.serde2.objectinspector.primitive.PrimitiveObjectInspectorUtils;

/**
 * The add-in's functions as Hive {@code GenericUDF}s, one class each under its entry name:
 * {@code CREATE FUNCTION qvdate_getdiffmonths AS 'io.github.dfadates.DfaHive$QvDate_GetDiffMonths'
 * USING JAR '...'}. Dates are {@code DATE} or {@code TIMESTAMP}, each by the day its engine gives
 * it ({@link HiveDays}), the mode of a difference any number, optional; another type or count of
 * arguments is Hive's argument error naming the function.
 */
public final class DfaHive {
    private DfaHive() {}

    /** The common part: the entry name, how many dates, and how arguments are read. */
    public abstract static class Function extends GenericUDF {
        private final String entry;
        private final boolean difference;
        private transient HiveDays.Reader[] dates;
        private transient PrimitiveObjectInspector mode;

        Function(String entry, boolean difference) {
            this.entry = entry;
            this.difference = difference;
        }

        @Override
        public ObjectInspector initialize(ObjectInspector[] arguments) throws UDFArgumentException {
            final int count = difference ? 2 : 1;
            if (arguments.length < count || arguments.length > (difference ? 3 : 1))
                throw new UDFArgumentLengthException(entry + " takes " + (difference ? "two dates and an optional mode" : "one date")
                        + ", not " + arguments.length + " argument" + (arguments.length == 1 ? "" : "s"));
            dates = new HiveDays.Reader[count];
            for (int i = 0; i < arguments.length; ++i) {
                final boolean date = i < count;
                if (!(arguments[i] instanceof PrimitiveObjectInspector primitive) || !accepts(primitive.getPrimitiveCategory(), date))
                    throw new UDFArgumentTypeException(i, entry + ": argument " + (i + 1) + " must be " + (date ? "a DATE or TIMESTAMP" : "a number")
                            + ", not " + arguments[i].getTypeName());
                if (date) dates[i] = HiveDays.reader(primitive);
                else mode = primitive;
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
        public Object evaluate(DeferredObject[] arguments) throws HiveException {
            final Integer first = dates[0].day(arguments[0].get());
            if (!difference) return Dfa.oneDateOfDay(entry, first);
            final Object given = arguments.length == 3 ? arguments[2].get() : null;
            final Double number = arguments.length < 3 ? Double.valueOf(0) : given == null ? null : PrimitiveObjectInspectorUtils.getDouble(given, mode);
            return Dfa.differenceOfDays(entry, first, dates[1].day(arguments[1].get()), number);
        }

        @Override
        public String getDisplayString(String[] children) {
            return getStandardDisplayString(entry, children);
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
