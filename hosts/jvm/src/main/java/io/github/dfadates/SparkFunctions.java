// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.time.LocalDate;
import java.time.temporal.Temporal;
import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import org.apache.spark.sql.SparkSession;
import org.apache.spark.sql.api.java.UDF1;
import org.apache.spark.sql.api.java.UDF3;
import org.apache.spark.sql.catalyst.FunctionIdentifier;
import org.apache.spark.sql.catalyst.analysis.FunctionRegistry;
import org.apache.spark.sql.catalyst.expressions.Cast;
import org.apache.spark.sql.catalyst.expressions.Expression;
import org.apache.spark.sql.catalyst.expressions.Literal;
import org.apache.spark.sql.types.DataType;
import org.apache.spark.sql.types.DataTypes;
import scala.Option;
import scala.collection.immutable.Seq;
import scala.jdk.javaapi.CollectionConverters;
import scala.runtime.AbstractFunction1;

/**
 * The add-in's functions in Spark SQL, under its entry names. Each calls a Java UDF of this jar
 * (registered under its name with {@value #UDF_PREFIX} before it) on its arguments cast as
 * {@code CAST(x AS DATE)} and {@code CAST(mode AS DOUBLE)} cast them when the query is analysed:
 * a timestamp by its day in the session time zone of the query, as {@code to_date} gives it;
 * a value that cannot be a date is Spark's own analysis error. A difference's mode left out is 0.
 */
final class SparkFunctions {
    static final String UDF_PREFIX = "dfa_udf_";

    private SparkFunctions() {}

    static void register(SparkSession spark) {
        final FunctionRegistry registry = ((org.apache.spark.sql.classic.SparkSession) spark).sessionState().functionRegistry();
        for (final Addin.Function function : new Addin().functions().values()) {
            final String entry = function.entryName(), udf = UDF_PREFIX + entry.toLowerCase(Locale.ROOT);
            final boolean difference = function.inputs() == 3;
            if (difference) {
                spark.udf().register(udf, (UDF3<Object, Object, Double, Integer>) (a, b, mode) ->
                        Dfa.difference(entry, day(a), day(b), mode), DataTypes.IntegerType);
            } else if (function.inputs() == 1) {
                spark.udf().register(udf, (UDF1<Object, Integer>) date -> Dfa.oneDate(entry, day(date)), DataTypes.IntegerType);
            } else {
                continue;
            }
            registry.createOrReplaceTempFunction(entry, new AbstractFunction1<Seq<Expression>, Expression>() {
                @Override
                public Expression apply(Seq<Expression> children) {
                    final List<Expression> arguments = new ArrayList<>(CollectionConverters.asJava(children));
                    if (difference && arguments.size() == 2) arguments.add(Literal.create(0.0, DataTypes.DoubleType));
                    for (int i = 0; i < arguments.size(); ++i) {
                        final DataType type = difference && i == 2 ? DataTypes.DoubleType : DataTypes.DateType;
                        arguments.set(i, new Cast(arguments.get(i), type, Option.empty()));
                    }
                    try {
                        return registry.lookupFunction(temporaryFunction(udf), CollectionConverters.asScala(arguments).toList());
                    } catch (org.apache.spark.sql.AnalysisException e) {
                        throw SparkFunctions.<RuntimeException>rethrow(e);  // Spark's own error, as it is
                    }
                }
            }, "java_udf");
        }
    }

    // A session's temporary function, as Spark names it whole.
    private static FunctionIdentifier temporaryFunction(String name) {
        return FunctionIdentifier.apply(name, Option.apply("session"), Option.apply("system"));
    }

    // Scala's exceptions are unchecked: Java's compiler is told so.
    @SuppressWarnings("unchecked")
    private static <E extends Throwable> E rethrow(Throwable e) throws E {
        throw (E) e;
    }

    // A DATE as Spark hands it to Java: java.sql.Date, or LocalDate with the Java 8 time API on.
    private static Temporal day(Object date) {
        if (date instanceof java.sql.Date sqlDate) return sqlDate.toLocalDate();
        return (LocalDate) date;
    }
}
