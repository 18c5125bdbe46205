// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.lang.reflect.Constructor;
import java.time.LocalDate;
import java.util.ArrayList;
import java.util.List;
import org.apache.hadoop.hive.ql.udf.generic.GenericUDF;
import org.apache.hadoop.hive.ql.udf.generic.GenericUDFToDate;
import org.apache.hadoop.hive.serde2.objectinspector.ObjectInspector;
import org.apache.hadoop.hive.serde2.objectinspector.primitive.PrimitiveObjectInspectorFactory;

/**
 * The Hive functions called as the Hive they are loaded beside calls them (HiveTest loads this
 * class with Hive 2 or Hive 4): each value as Hive's writable DATE or TIMESTAMP, and each answer
 * held against the Java API's on the day Hive's own to_date gives the value. Hive's classes of a
 * date differ between versions, so values are made by reflection.
 */
public final class HiveHarness {
    private HiveHarness() {}

    private static final String[] ONE_DATE = {"QvDate_IsLeapYear", "QvDate_DaysInMonth", "QvDate_DaysInYear", "QvDate_WeeksInYear"};

    /** Lines for the values whose answers differ (empty where none does); days since 1970 and seconds since 1970 UTC. */
    public static List<String> differences(int[] days, long[] seconds) throws Exception {
        final List<String> found = new ArrayList<>();
        final Constructor<?> date = writable("DateWritableV2", "DateWritable", int.class);
        check(PrimitiveObjectInspectorFactory.writableDateObjectInspector, days.length, i -> date.newInstance(days[i]), found);
        final boolean v2 = date.getDeclaringClass().getSimpleName().endsWith("V2");
        final Constructor<?> timestamp = v2
                ? writable("TimestampWritableV2", null, Class.forName("org.apache.hadoop.hive.common.type.Timestamp"))
                : writable("TimestampWritable", null, java.sql.Timestamp.class);
        check(PrimitiveObjectInspectorFactory.writableTimestampObjectInspector, seconds.length, i -> timestamp.newInstance(v2
                ? Class.forName("org.apache.hadoop.hive.common.type.Timestamp").getMethod("ofEpochSecond", long.class).invoke(null, seconds[i])
                : new java.sql.Timestamp(seconds[i] * 1000)), found);
        return found;
    }

    interface Value {
        Object make(int i) throws Exception;
    }

    private static void check(ObjectInspector inspector, int count, Value value, List<String> found) throws Exception {
        final GenericUDF toDate = new GenericUDFToDate();
        toDate.initialize(new ObjectInspector[] {inspector});
        final GenericUDF[] functions = new GenericUDF[ONE_DATE.length];
        for (int f = 0; f < ONE_DATE.length; ++f) {
            functions[f] = (GenericUDF) Class.forName(DfaHive.class.getName() + "$" + ONE_DATE[f]).getConstructor().newInstance();
            functions[f].initialize(new ObjectInspector[] {inspector});
        }
        final GenericUDF months = new DfaHive.QvDate_GetDiffMonths();
        months.initialize(new ObjectInspector[] {inspector, inspector, PrimitiveObjectInspectorFactory.javaDoubleObjectInspector});
        for (int i = 0; i < count; ++i) {
            final Object v = value.make(i), w = value.make((i * 7 + 3) % count);
            final LocalDate day = hiveDay(toDate, v), other = hiveDay(toDate, w);
            for (int f = 0; f < ONE_DATE.length; ++f) {
                final Object got = functions[f].evaluate(new GenericUDF.DeferredObject[] {new GenericUDF.DeferredJavaObject(v)});
                final Integer want = (Integer) Dfa.class.getMethod(api(ONE_DATE[f]), java.time.temporal.Temporal.class).invoke(null, day);
                if (!java.util.Objects.equals(got, want)) found.add(ONE_DATE[f] + "(" + v + "): " + got + ", on Hive's day " + day + " " + want);
            }
            final Object got = months.evaluate(new GenericUDF.DeferredObject[] {new GenericUDF.DeferredJavaObject(v),
                    new GenericUDF.DeferredJavaObject(w), new GenericUDF.DeferredJavaObject(1.0)});
            if (!java.util.Objects.equals(got, Dfa.diffMonths(day, other, 1))) found.add("QvDate_GetDiffMonths(" + v + ", " + w + ", 1): " + got);
        }
    }

    // Hive's own day of a value, as its to_date gives it.
    private static LocalDate hiveDay(GenericUDF toDate, Object value) throws Exception {
        final Object date = toDate.evaluate(new GenericUDF.DeferredObject[] {new GenericUDF.DeferredJavaObject(value)});
        return date == null ? null : LocalDate.ofEpochDay((int) date.getClass().getMethod("getDays").invoke(date));
    }

    private static String api(String entry) {
        final String name = entry.substring("QvDate_".length());
        return Character.toLowerCase(name.charAt(0)) + name.substring(1);
    }

    // The constructor of Hive's writable class of that name (the first that this Hive has).
    private static Constructor<?> writable(String name, String older, Class<?> argument) throws Exception {
        try {
            return Class.forName("org.apache.hadoop.hive.serde2.io." + name).getConstructor(argument);
        } catch (ClassNotFoundException e) {
            if (older == null) throw e;
            return Class.forName("org.apache.hadoop.hive.serde2.io." + older).getConstructor(argument);
        }
    }
}
