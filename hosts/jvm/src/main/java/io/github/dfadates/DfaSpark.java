// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.util.ArrayList;
import java.util.List;
import java.util.Locale;
import org.apache.spark.sql.SparkSession;
import org.apache.spark.sql.api.java.UDF1;
import org.apache.spark.sql.api.java.UDF3;
import org.apache.spark.sql.catalyst.FunctionIdentifier;
import org.apache.spark.sql.catalyst.analysis.FunctionRegistry;
import org.apache.spark.sql.catalyst.expressions.Expression;
import org.apache.spark.sql.catalyst.expressions.ExpressionInfo;
import org.apache.spark.sql.catalyst.expressions.Literal;
import org.apache.spark.sql.errors.QueryCompilationErrors;
import org.apache.spark.sql.types.DataTypes;
import scala.Function1;
import scala.Option;
import scala.collection.immutable.Seq;
import scala.jdk.javaapi.CollectionConverters;
import scala.runtime.AbstractFunction1;

/**
 * The add-in's functions in Spark SQL, under its entry names: {@code DfaSpark.register(spark)}.
 *
 * <p>A value's day is Spark's own, decided in the query: each date argument is read as
 * {@code unix_date(CAST(x AS DATE))}, so a {@code DATE} is its day, a {@code TIMESTAMP} its day in
 * the session time zone (as {@code to_date} gives it), a {@code TIMESTAMP_NTZ} its own day, and a
 * type that is no date Spark's own analysis error. A difference's mode is {@code CAST(mode AS
 * DOUBLE)}, 0 when left out. Results are {@code INT}, null where the add-in has no answer.
 */
public final class DfaSpark {
    private DfaSpark() {}

    /**
     * Registers the seven in this session, under their entry names (SQL ignores their case): the
     * differences take two dates and an optional mode, the others a date; another count of
     * arguments is Spark's error naming the function. {@code DESCRIBE FUNCTION} shows each one's use.
     *
     * @param spark the session, from Java, Scala or PySpark ({@code spark._jsparkSession})
     */
    public static void register(SparkSession spark) {
        final FunctionRegistry registry = registry(spark);
        for (final Addin.Function function : new Addin().functions().values()) {
            final String entry = function.entryName();
            final boolean difference = function.inputs() == 3;
            if (difference) {
                spark.udf().register(entry, (UDF3<Integer, Integer, Double, Integer>) (a, b, mode) ->
                        Dfa.differenceOfDays(entry, a, b, mode), DataTypes.IntegerType);
            } else if (function.inputs() == 1) {
                spark.udf().register(entry, (UDF1<Integer, Integer>) day -> Dfa.oneDateOfDay(entry, day), DataTypes.IntegerType);
            } else {
                continue;
            }
            final FunctionIdentifier name = temporaryFunction(registry, entry.toLowerCase(Locale.ROOT));
            final Function1<Seq<Expression>, Expression> udf = registry.lookupFunctionBuilder(name).get();
            registry.registerFunction(name, info(entry, difference), new AbstractFunction1<Seq<Expression>, Expression>() {
                @Override
                public Expression apply(Seq<Expression> children) {
                    return udf.apply(arguments(entry, difference, children));
                }
            });
        }
    }

    // The session's function registry (SparkSession.sessionState, which Spark 4 keeps in its classic session).
    private static FunctionRegistry registry(SparkSession spark) {
        try {
            final Object state = spark.getClass().getMethod("sessionState").invoke(spark);
            return (FunctionRegistry) state.getClass().getMethod("functionRegistry").invoke(state);
        } catch (ReflectiveOperationException e) {
            throw new UnsupportedOperationException("this Spark session keeps no function registry here: " + spark.getClass().getName(), e);
        }
    }

    // A session's temporary function as the registry names it: whole (system.session.name) where
    // Spark names it so, else by its name alone.
    private static FunctionIdentifier temporaryFunction(FunctionRegistry registry, String name) {
        final FunctionIdentifier whole = FunctionIdentifier.apply(name, Option.apply("session"), Option.apply("system"));
        return registry.functionExists(whole) ? whole : FunctionIdentifier.apply(name);
    }

    // Each date as Spark's own day count, the mode as a double (0 when left out).
    private static Seq<Expression> arguments(String entry, boolean difference, Seq<Expression> children) {
        final List<Expression> given = CollectionConverters.asJava(children), read = new ArrayList<>();
        final int dates = difference ? 2 : 1;
        if (given.size() < dates || given.size() > (difference ? 3 : 1))
            throw DfaSpark.<RuntimeException>rethrow(QueryCompilationErrors.wrongNumArgsError(entry.toLowerCase(Locale.ROOT),
                    seq(difference ? List.of(2, 3) : List.of(1)), given.size(), "", "", ""));
        for (int i = 0; i < dates; ++i) read.add(builtin("unix_date", builtin("date", given.get(i))));
        if (difference) read.add(builtin("double", given.size() == 3 ? given.get(2) : Literal.create(0.0, DataTypes.DoubleType)));
        return seq(read);
    }

    private static Expression builtin(String function, Expression argument) {
        return (Expression) FunctionRegistry.builtin().lookupFunction(FunctionIdentifier.apply(function), seq(List.of(argument)));
    }

    private static <T> Seq<T> seq(List<T> list) {
        return CollectionConverters.asScala(list).toList();
    }

    private static ExpressionInfo info(String entry, boolean difference) {
        final String usage = difference
                ? "_FUNC_(start, end[, mode]) - " + Catalog.description(entry) + " Dates are DATEs (a TIMESTAMP by its day in the session time zone);"
                        + " mode 1 selects ISO 8601, left out it is 0."
                : "_FUNC_(date) - " + Catalog.description(entry) + " The date is a DATE (a TIMESTAMP by its day in the session time zone).";
        return new ExpressionInfo(DfaSpark.class.getName(), null, entry.toLowerCase(Locale.ROOT), usage, "", "", "", "", "", "", "java_udf");
    }

    // Scala's exceptions are unchecked: Java's compiler is told so.
    @SuppressWarnings("unchecked")
    private static <E extends Throwable> E rethrow(Throwable e) throws E {
        throw (E) e;
    }
}
