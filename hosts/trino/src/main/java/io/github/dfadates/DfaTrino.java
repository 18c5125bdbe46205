// SPDX-License-Identifier: MIT
package io.github.dfadates;

import static io.trino.spi.StandardErrorCode.FUNCTION_IMPLEMENTATION_ERROR;
import static io.trino.spi.function.InvocationConvention.InvocationArgumentConvention.NEVER_NULL;
import static io.trino.spi.function.InvocationConvention.InvocationReturnConvention.FAIL_ON_NULL;
import static io.trino.spi.type.StandardTypes.DATE;
import static io.trino.spi.type.StandardTypes.DOUBLE;
import static io.trino.spi.type.StandardTypes.INTEGER;

import io.trino.spi.Plugin;
import io.trino.spi.TrinoException;
import io.trino.spi.function.CastDependency;
import io.trino.spi.function.Convention;
import io.trino.spi.function.ScalarFunction;
import io.trino.spi.function.SqlNullable;
import io.trino.spi.function.SqlType;
import io.trino.spi.type.LongTimestamp;
import io.trino.spi.type.LongTimestampWithTimeZone;
import java.lang.invoke.MethodHandle;
import java.util.Set;

/**
 * The add-in's functions as a Trino plugin, under their entry names ({@code qvdate_getdiffmonths(a,
 * b [, mode])} and the rest). Dates are {@code DATE}, {@code TIMESTAMP(p)} and {@code TIMESTAMP(p)
 * WITH TIME ZONE}, each read as the day Trino's own {@code CAST(x AS DATE)} gives it (a zoned time
 * stamp's date in its own zone); the mode of a difference any number, optional. Results are
 * {@code INTEGER}, null where a date or the mode is null or NaN, or a date is outside the add-in's
 * calendar.
 */
public final class DfaTrino implements Plugin {
    // Time stamps of every precision reach the functions widened to the finest, which Trino does
    // exactly and of itself.
    private static final String TIMESTAMP = "timestamp(12)", ZONED = "timestamp(12) with time zone";

    @Override
    public Set<Class<?>> getFunctions() {
        return Set.of(DfaTrino.class.getDeclaredClasses());
    }

    /** {@link Dfa#diffWeeks(java.time.temporal.Temporal, java.time.temporal.Temporal, Double)}. */
    public static final class QvDate_GetDiffWeeks {
        private QvDate_GetDiffWeeks() {}
        private static final String NAME = "qvdate_getdiffweeks";
        private static final String ENTRY = QvDate_GetDiffWeeks.class.getSimpleName();

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long dates(@SqlType(DATE) long a, @SqlType(DATE) long b) {
            return difference(ENTRY, a, b, 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamps(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(TIMESTAMP) LongTimestamp a, @SqlType(TIMESTAMP) LongTimestamp b) {
            return difference(ENTRY, day(day, a), day(day, b), 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(ZONED) LongTimestampWithTimeZone a, @SqlType(ZONED) LongTimestampWithTimeZone b) {
            return difference(ENTRY, day(day, a), day(day, b), 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long dates(@SqlType(DATE) long a, @SqlType(DATE) long b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, a, b, mode);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamps(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(TIMESTAMP) LongTimestamp a, @SqlType(TIMESTAMP) LongTimestamp b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, day(day, a), day(day, b), mode);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(ZONED) LongTimestampWithTimeZone a, @SqlType(ZONED) LongTimestampWithTimeZone b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, day(day, a), day(day, b), mode);
        }
    }

    /** {@link Dfa#diffMonths(java.time.temporal.Temporal, java.time.temporal.Temporal, Double)}. */
    public static final class QvDate_GetDiffMonths {
        private QvDate_GetDiffMonths() {}
        private static final String NAME = "qvdate_getdiffmonths";
        private static final String ENTRY = QvDate_GetDiffMonths.class.getSimpleName();

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long dates(@SqlType(DATE) long a, @SqlType(DATE) long b) {
            return difference(ENTRY, a, b, 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamps(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(TIMESTAMP) LongTimestamp a, @SqlType(TIMESTAMP) LongTimestamp b) {
            return difference(ENTRY, day(day, a), day(day, b), 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(ZONED) LongTimestampWithTimeZone a, @SqlType(ZONED) LongTimestampWithTimeZone b) {
            return difference(ENTRY, day(day, a), day(day, b), 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long dates(@SqlType(DATE) long a, @SqlType(DATE) long b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, a, b, mode);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamps(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(TIMESTAMP) LongTimestamp a, @SqlType(TIMESTAMP) LongTimestamp b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, day(day, a), day(day, b), mode);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(ZONED) LongTimestampWithTimeZone a, @SqlType(ZONED) LongTimestampWithTimeZone b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, day(day, a), day(day, b), mode);
        }
    }

    /** {@link Dfa#diffYears(java.time.temporal.Temporal, java.time.temporal.Temporal, Double)}. */
    public static final class QvDate_GetDiffYears {
        private QvDate_GetDiffYears() {}
        private static final String NAME = "qvdate_getdiffyears";
        private static final String ENTRY = QvDate_GetDiffYears.class.getSimpleName();

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long dates(@SqlType(DATE) long a, @SqlType(DATE) long b) {
            return difference(ENTRY, a, b, 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamps(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(TIMESTAMP) LongTimestamp a, @SqlType(TIMESTAMP) LongTimestamp b) {
            return difference(ENTRY, day(day, a), day(day, b), 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(ZONED) LongTimestampWithTimeZone a, @SqlType(ZONED) LongTimestampWithTimeZone b) {
            return difference(ENTRY, day(day, a), day(day, b), 0);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long dates(@SqlType(DATE) long a, @SqlType(DATE) long b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, a, b, mode);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamps(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(TIMESTAMP) LongTimestamp a, @SqlType(TIMESTAMP) LongTimestamp b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, day(day, a), day(day, b), mode);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day,
                @SqlType(ZONED) LongTimestampWithTimeZone a, @SqlType(ZONED) LongTimestampWithTimeZone b, @SqlType(DOUBLE) double mode) {
            return difference(ENTRY, day(day, a), day(day, b), mode);
        }
    }

    /** {@link Dfa#isLeapYear(java.time.temporal.Temporal)}. */
    public static final class QvDate_IsLeapYear {
        private QvDate_IsLeapYear() {}
        private static final String NAME = "qvdate_isleapyear";
        private static final String ENTRY = QvDate_IsLeapYear.class.getSimpleName();

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long date(@SqlType(DATE) long date) {
            return oneDate(ENTRY, date);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamp(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day, @SqlType(TIMESTAMP) LongTimestamp date) {
            return oneDate(ENTRY, day(day, date));
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day, @SqlType(ZONED) LongTimestampWithTimeZone date) {
            return oneDate(ENTRY, day(day, date));
        }
    }

    /** {@link Dfa#daysInMonth(java.time.temporal.Temporal)}. */
    public static final class QvDate_DaysInMonth {
        private QvDate_DaysInMonth() {}
        private static final String NAME = "qvdate_daysinmonth";
        private static final String ENTRY = QvDate_DaysInMonth.class.getSimpleName();

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long date(@SqlType(DATE) long date) {
            return oneDate(ENTRY, date);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamp(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day, @SqlType(TIMESTAMP) LongTimestamp date) {
            return oneDate(ENTRY, day(day, date));
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day, @SqlType(ZONED) LongTimestampWithTimeZone date) {
            return oneDate(ENTRY, day(day, date));
        }
    }

    /** {@link Dfa#daysInYear(java.time.temporal.Temporal)}. */
    public static final class QvDate_DaysInYear {
        private QvDate_DaysInYear() {}
        private static final String NAME = "qvdate_daysinyear";
        private static final String ENTRY = QvDate_DaysInYear.class.getSimpleName();

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long date(@SqlType(DATE) long date) {
            return oneDate(ENTRY, date);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamp(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day, @SqlType(TIMESTAMP) LongTimestamp date) {
            return oneDate(ENTRY, day(day, date));
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day, @SqlType(ZONED) LongTimestampWithTimeZone date) {
            return oneDate(ENTRY, day(day, date));
        }
    }

    /** {@link Dfa#weeksInYear(java.time.temporal.Temporal)}. */
    public static final class QvDate_WeeksInYear {
        private QvDate_WeeksInYear() {}
        private static final String NAME = "qvdate_weeksinyear";
        private static final String ENTRY = QvDate_WeeksInYear.class.getSimpleName();

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long date(@SqlType(DATE) long date) {
            return oneDate(ENTRY, date);
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long timestamp(@CastDependency(fromType = TIMESTAMP, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day, @SqlType(TIMESTAMP) LongTimestamp date) {
            return oneDate(ENTRY, day(day, date));
        }

        @ScalarFunction(NAME) @SqlType(INTEGER) @SqlNullable
        public static Long zoned(@CastDependency(fromType = ZONED, toType = DATE, convention = @Convention(arguments = NEVER_NULL, result = FAIL_ON_NULL)) MethodHandle day, @SqlType(ZONED) LongTimestampWithTimeZone date) {
            return oneDate(ENTRY, day(day, date));
        }
    }

    // The day Trino's own cast gives a value of the handle's type.
    private static long day(MethodHandle cast, Object value) {
        try {
            return (long) cast.invoke(value);
        } catch (RuntimeException | Error e) {
            throw e;
        } catch (Throwable e) {
            throw new TrinoException(FUNCTION_IMPLEMENTATION_ERROR, "dfa: Trino's cast to DATE failed", e);
        }
    }

    private static Long difference(String entry, long a, long b, double mode) {
        try {
            return widened(Dfa.differenceOfDays(entry, narrowed(a), narrowed(b), mode));
        } catch (DfaException e) {
            throw new TrinoException(FUNCTION_IMPLEMENTATION_ERROR, "dfa: " + e.getMessage(), e);
        }
    }

    private static Long oneDate(String entry, long day) {
        try {
            return widened(Dfa.oneDateOfDay(entry, narrowed(day)));
        } catch (DfaException e) {
            throw new TrinoException(FUNCTION_IMPLEMENTATION_ERROR, "dfa: " + e.getMessage(), e);
        }
    }

    // A day beyond int's, which no calendar of the add-in reaches: no day.
    private static Integer narrowed(long day) {
        return day == (int) day ? (int) day : null;
    }

    private static Long widened(Integer result) {
        return result == null ? null : (long) result;
    }
}
