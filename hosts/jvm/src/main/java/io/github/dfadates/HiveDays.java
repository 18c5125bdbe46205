// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.lang.invoke.MethodHandle;
import java.lang.invoke.MethodHandles;
import java.lang.invoke.MethodType;
import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;
import org.apache.hadoop.hive.ql.metadata.HiveException;
import org.apache.hadoop.hive.serde2.objectinspector.ObjectInspectorConverters;
import org.apache.hadoop.hive.serde2.objectinspector.PrimitiveObjectInspector;
import org.apache.hadoop.hive.serde2.objectinspector.primitive.PrimitiveObjectInspectorFactory;

/**
 * A value's day as the engine that runs a Hive function gives it, counted from 1970-01-01. In
 * Hive, Hive's own conversion to a {@code DATE} and its day count: a {@code DATE} is its day, a
 * {@code TIMESTAMP} the day Hive's {@code CAST(x AS DATE)} gives (Hive 2: in the JVM's zone;
 * Hive 3 on: its own date). The day count is read from the date Hive makes, {@code DateWritable}
 * or {@code DateWritableV2} alike; a class no version of Hive makes is a {@link HiveException}
 * naming it. In Spark, which hands Hive functions Java dates and timestamps of its own making,
 * Spark's reading of them ({@link SparkHiveDays}).
 */
final class HiveDays {
    private HiveDays() {}

    /** How one argument's values become days; null for a null value. */
    interface Reader {
        Integer day(Object value) throws HiveException;
    }

    private static final boolean IN_SPARK = SparkHiveDays.present();
    // The method getDays() of each class of Hive's dates met so far.
    private static final Map<Class<?>, MethodHandle> GET_DAYS = new ConcurrentHashMap<>();

    static Reader reader(PrimitiveObjectInspector inspector) {
        final ObjectInspectorConverters.Converter toDate =
                ObjectInspectorConverters.getConverter(inspector, PrimitiveObjectInspectorFactory.writableDateObjectInspector);
        return value -> {
            if (value == null) return null;
            if (IN_SPARK) {
                final Integer day = SparkHiveDays.day(inspector.getPrimitiveJavaObject(value));
                if (day != null) return day;
            }
            final Object date = toDate.convert(value);
            return date == null ? null : days(date);
        };
    }

    static int days(Object date) throws HiveException {
        final MethodHandle getDays = GET_DAYS.computeIfAbsent(date.getClass(), HiveDays::getDays);
        if (getDays == null) throw new HiveException("dfa: Hive made a date of a class no reading knows: " + date.getClass().getName());
        try {
            return (int) getDays.invoke(date);
        } catch (Throwable e) {
            throw new HiveException("dfa: " + date.getClass().getName() + ".getDays() failed", e);
        }
    }

    private static MethodHandle getDays(Class<?> type) {
        try {
            return MethodHandles.publicLookup().findVirtual(type, "getDays", MethodType.methodType(int.class)).asType(
                    MethodType.methodType(int.class, Object.class));
        } catch (ReflectiveOperationException e) {
            return null;
        }
    }
}
