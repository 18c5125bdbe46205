// SPDX-License-Identifier: MIT
package io.github.dfadates;

import org.apache.spark.sql.catalyst.util.DateTimeUtils;
import org.apache.spark.sql.internal.SQLConf;

/**
 * Spark's own day of a value that Spark hands a Hive function: a {@code DATE} as
 * {@code java.sql.Date} and a {@code TIMESTAMP} as {@code java.sql.Timestamp}, made by Spark's
 * own conversions, which Spark's read back: the day count of the date, and the day of the
 * instant in the session time zone, as {@code to_date} gives it. Loaded only where Spark SQL's
 * classes are.
 */
final class SparkHiveDays {
    private SparkHiveDays() {}

    static boolean present() {
        try {
            Class.forName("org.apache.spark.sql.internal.SQLConf", false, SparkHiveDays.class.getClassLoader());
            return true;
        } catch (ClassNotFoundException | LinkageError e) {
            return false;
        }
    }

    /** The day of a Java date or timestamp; null for any other value. */
    static Integer day(Object value) {
        if (value instanceof java.sql.Date date) return DateTimeUtils.fromJavaDate(date);
        if (value instanceof java.sql.Timestamp time)
            return DateTimeUtils.microsToDays(DateTimeUtils.fromJavaTimestamp(time), DateTimeUtils.getZoneId(SQLConf.get().sessionLocalTimeZone()));
        return null;
    }
}
