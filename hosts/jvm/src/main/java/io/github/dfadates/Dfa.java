// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.time.Instant;
import java.time.LocalDate;
import java.time.LocalDateTime;
import java.time.OffsetDateTime;
import java.time.ZonedDateTime;
import java.time.temporal.Temporal;

/**
 * The dfa add-in's date functions, as a spreadsheet computes them, on {@code java.time} values.
 *
 * <p>A value's day is its own: a {@link LocalDate} itself, a {@link LocalDateTime}'s date, a
 * {@link ZonedDateTime}'s or {@link OffsetDateTime}'s local date in its own zone (as
 * {@code toLocalDate()} gives it). An {@link Instant} has no day without a zone: pass
 * {@code instant.atZone(zone)}. Every day from 0000-01-01 to 65535-12-31 gets the add-in's
 * answer; {@code null}, a day outside that calendar and 0001-01-01 (which no serial of the add-in
 * names) give {@code null}. A difference's mode is a number: 1 (or anything that truncates to 1,
 * such as 1.9) selects ISO 8601; left out it is 0; {@code null} or NaN gives {@code null}.
 *
 * <p>The add-in is WebAssembly compiled to JVM bytecode; each thread gets an instance of its own.
 */
public final class Dfa {
    private Dfa() {}

    private static final ThreadLocal<Addin> ADDIN = ThreadLocal.withInitial(Addin::new);
    // Days from 1899-12-30, the spreadsheet's null date, to 1970-01-01.
    private static final long SERIAL_OF_EPOCH = -LocalDate.of(1899, 12, 30).toEpochDay();
    // The add-in's calendar, 0000-01-01 to 65535-12-31, and 0001-01-01, which no serial names.
    private static final long FIRST_DAY = LocalDate.of(0, 1, 1).toEpochDay(), LAST_DAY = LocalDate.of(65535, 12, 31).toEpochDay(),
            YEAR_1 = LocalDate.of(1, 1, 1).toEpochDay();

    /** Whole weeks from the first date to the second; mode 1 counts from the Monday of ISO week 1 of the first date's year. */
    public static Integer diffWeeks(Temporal first, Temporal second, Double mode) {
        return difference("QvDate_GetDiffWeeks", first, second, mode);
    }

    /** {@link #diffWeeks(Temporal, Temporal, Double)} with a mode of {@code int} or {@code double}. */
    public static Integer diffWeeks(Temporal first, Temporal second, double mode) {
        return difference("QvDate_GetDiffWeeks", first, second, mode);
    }

    /** {@link #diffWeeks(Temporal, Temporal, Double)} in mode 0. */
    public static Integer diffWeeks(Temporal first, Temporal second) {
        return diffWeeks(first, second, 0.0);
    }

    /** Whole months from the first date to the second (31 January to 28 February is none); mode 1 counts calendar months. */
    public static Integer diffMonths(Temporal first, Temporal second, Double mode) {
        return difference("QvDate_GetDiffMonths", first, second, mode);
    }

    /** {@link #diffMonths(Temporal, Temporal, Double)} with a mode of {@code int} or {@code double}. */
    public static Integer diffMonths(Temporal first, Temporal second, double mode) {
        return difference("QvDate_GetDiffMonths", first, second, mode);
    }

    /** {@link #diffMonths(Temporal, Temporal, Double)} in mode 0. */
    public static Integer diffMonths(Temporal first, Temporal second) {
        return diffMonths(first, second, 0.0);
    }

    /** Whole years from the first date to the second, as whole months divided by 12; mode 1 counts calendar years. */
    public static Integer diffYears(Temporal first, Temporal second, Double mode) {
        return difference("QvDate_GetDiffYears", first, second, mode);
    }

    /** {@link #diffYears(Temporal, Temporal, Double)} with a mode of {@code int} or {@code double}. */
    public static Integer diffYears(Temporal first, Temporal second, double mode) {
        return difference("QvDate_GetDiffYears", first, second, mode);
    }

    /** {@link #diffYears(Temporal, Temporal, Double)} in mode 0. */
    public static Integer diffYears(Temporal first, Temporal second) {
        return diffYears(first, second, 0.0);
    }

    /** 1 if the date's year is a leap year, else 0. */
    public static Integer isLeapYear(Temporal date) {
        return oneDate("QvDate_IsLeapYear", date);
    }

    /** The days of the date's month, 28 to 31. */
    public static Integer daysInMonth(Temporal date) {
        return oneDate("QvDate_DaysInMonth", date);
    }

    /** The days of the date's year, 365 or 366. */
    public static Integer daysInYear(Temporal date) {
        return oneDate("QvDate_DaysInYear", date);
    }

    /** The ISO 8601 weeks of the date's year, 52 or 53. */
    public static Integer weeksInYear(Temporal date) {
        return oneDate("QvDate_WeeksInYear", date);
    }

    /**
     * Calls a function of the add-in by its entry name on spreadsheet serials (days since
     * 1899-12-30, a time of day as a fraction), as a sheet does: the add-in's own result.
     *
     * @throws DfaException where the add-in has no such function that takes that many inputs
     */
    public static double call(String entryName, double... serials) {
        final Addin addin = ADDIN.get();
        return addin.call(function(addin, entryName, serials.length), serials);
    }

    /** The add-in's serial of a value's day, or null where it names no day of the add-in's calendar. */
    public static Double serial(Temporal value) {
        final double serial = serialOf(value);
        return serial == serial ? serial : null;
    }

    // The serial, or NaN.
    private static double serialOf(Temporal value) {
        final LocalDate day = dayOf(value);
        return day == null ? Double.NaN : serialOfEpochDay(day.toEpochDay());
    }

    /** The add-in's serial of a day counted from 1970-01-01, as engines count them, or NaN. */
    static double serialOfEpochDay(long epochDay) {
        if (epochDay < FIRST_DAY || epochDay > LAST_DAY || epochDay == YEAR_1) return Double.NaN;
        // The add-in counts the days of year 0 one ahead, as its day numbers run.
        return epochDay + SERIAL_OF_EPOCH + (epochDay < YEAR_1 ? 1 : 0);
    }

    private static Addin.Function function(Addin addin, String entryName, int inputs) {
        final Addin.Function function = addin.function(entryName);
        if (function == null || function.inputs() != inputs)
            throw new DfaException("the add-in has no function " + entryName + " of " + inputs + " input(s)"
                    + (addin.problems().isEmpty() ? "" : "; it registered what a host cannot call: " + String.join("; ", addin.problems())));
        return function;
    }

    static LocalDate dayOf(Temporal value) {
        if (value == null) return null;
        if (value instanceof LocalDate date) return date;
        if (value instanceof LocalDateTime time) return time.toLocalDate();
        if (value instanceof ZonedDateTime time) return time.toLocalDate();
        if (value instanceof OffsetDateTime time) return time.toLocalDate();
        if (value instanceof Instant) throw new IllegalArgumentException("an Instant has no day without a zone: pass instant.atZone(zone)");
        throw new IllegalArgumentException("a " + value.getClass().getSimpleName() + " is not a date");
    }

    static Integer difference(String entryName, Temporal first, Temporal second, Double mode) {
        return onSerials(entryName, serialOf(first), serialOf(second), mode);
    }

    static Integer oneDate(String entryName, Temporal date) {
        return onSerial(entryName, serialOf(date));
    }

    /** A difference of two days counted from 1970-01-01 (null: no day). */
    static Integer differenceOfDays(String entryName, Integer first, Integer second, Double mode) {
        return onSerials(entryName, serialOfDay(first), serialOfDay(second), mode);
    }

    /** A function of one day counted from 1970-01-01 (null: no day). */
    static Integer oneDateOfDay(String entryName, Integer day) {
        return onSerial(entryName, serialOfDay(day));
    }

    private static double serialOfDay(Integer epochDay) {
        return epochDay == null ? Double.NaN : serialOfEpochDay(epochDay);
    }

    // NaN is no day: null.
    private static Integer onSerials(String entryName, double a, double b, Double mode) {
        if (a != a || b != b || mode == null || mode.isNaN()) return null;
        final Addin addin = ADDIN.get();
        return (int) addin.call(function(addin, entryName, 3), a, b, mode);
    }

    private static Integer onSerial(String entryName, double serial) {
        if (serial != serial) return null;
        final Addin addin = ADDIN.get();
        return (int) addin.call(function(addin, entryName, 1), serial);
    }
}
