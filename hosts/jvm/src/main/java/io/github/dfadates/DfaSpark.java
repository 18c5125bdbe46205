// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.lang.reflect.Method;
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
import scala.collection.Seq;
import scala.collection.immutable.Nil$;
import scala.runtime.AbstractFunction1;

/**
 * The add-in's functions in Spark SQL, under its entry names: {@code DfaSpark.register(spark)}.
 *
 * <p>A value's day is Spark's own, decided in the query: each date argument is read as
 * {@code unix_date(CAST(x AS DATE))}, so a {@code DATE} is its day, a {@code TIMESTAMP} its day in
 * the session time zone (as {@code to_date} gives it), a {@code TIMESTAMP_NTZ} its own day, and a
 * type that is no date Spark's own analysis error. A difference's mode is {@code CAST(mode AS
 * DOUBLE)}, 0 when left out. Results are {@code INT}, null where the add-in has no answer.
 *
 * <p>One class serves Spark 3.5 (Scala 2.12) and Spark 4 (Scala 2.13): it calls Spark only where
 * the two lines' methods are the same in bytecode, and hands Spark sequences as Scala's immutable
 * lists, which are the sequences of both.
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
            @SuppressWarnings("unchecked")
            final Function1<Object, Expression> udf = (Function1<Object, Expression>) (Function1<?, ?>) registry.lookupFunctionBuilder(name).get();
            register(registry, name, info(entry, difference), children -> udf.apply(arguments(entry, difference, children)));
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
    private static Object arguments(String entry, boolean difference, Seq<?> children) {
        final int dates = difference ? 2 : 1, given = children.length();
        if (given < dates || given > (difference ? 3 : 1)) throw DfaSpark.<RuntimeException>rethrow(wrongNumberOfArguments(entry, difference, given));
        final List<Expression> read = new ArrayList<>();
        for (int i = 0; i < dates; ++i) read.add(builtin("unix_date", builtin("date", (Expression) children.apply(i))));
        if (difference) read.add(builtin("double", given == 3 ? (Expression) children.apply(2) : Literal.create(0.0, DataTypes.DoubleType)));
        return list(read);
    }

    private static Expression builtin(String function, Expression argument) {
        @SuppressWarnings("unchecked")
        final Function1<Object, Expression> build = (Function1<Object, Expression>) (Function1<?, ?>)
                FunctionRegistry.builtin().lookupFunctionBuilder(FunctionIdentifier.apply(function)).get();
        return build.apply(list(List.of(argument)));
    }

    // Spark's own error for a call with the wrong count of arguments, naming the function (its
    // sequence of counts is each Scala line's own, so it is looked up by name).
    private static Throwable wrongNumberOfArguments(String entry, boolean difference, int given) {
        try {
            for (final Method method : QueryCompilationErrors.class.getMethods()) {
                if (method.getName().equals("wrongNumArgsError") && method.getParameterCount() == 6)
                    return (Throwable) method.invoke(null, entry.toLowerCase(Locale.ROOT),
                            list(difference ? List.of(2, 3) : List.of(1)), given, "", "", "");
            }
            return new IllegalArgumentException(entry + " takes " + (difference ? "2 or 3" : "1") + " arguments, not " + given);
        } catch (ReflectiveOperationException e) {
            throw new IllegalStateException(e);
        }
    }

    // A Scala immutable list of the elements, in order.
    @SuppressWarnings("unchecked")
    private static <T> Object list(List<T> elements) {
        scala.collection.immutable.List<T> list = (scala.collection.immutable.List<T>) (Object) Nil$.MODULE$;
        for (int i = elements.size() - 1; i >= 0; --i) list = list.$colon$colon(elements.get(i));
        return list;
    }

    // Registers a function builder, a Scala function of the argument sequence, under the name.
    @SuppressWarnings({"unchecked", "rawtypes"})
    private static void register(FunctionRegistry registry, FunctionIdentifier name, ExpressionInfo info,
                                 java.util.function.Function<Seq<?>, Expression> body) {
        registry.registerFunction(name, info, (Function1) new AbstractFunction1<Object, Expression>() {
            @Override
            public Expression apply(Object children) {
                return body.apply((Seq<?>) children);
            }
        });
    }

    private static ExpressionInfo info(String entry, boolean difference) {
        final String usage = difference
                ? "_FUNC_(start, end[, mode]) - " + Catalog.description(entry) + " Dates are DATEs (a TIMESTAMP by its day in the session time zone);"
                        + " mode 1 selects ISO 8601, left out it is 0."
                : "_FUNC_(date) - " + Catalog.description(entry) + " The date is a DATE (a TIMESTAMP by its day in the session time zone).";
        return new ExpressionInfo(DfaSpark.class.getName(), null, entry.toLowerCase(Locale.ROOT), usage, "", "", "", "", "", "", "java_udf");
    }

    // AnalysisException is checked in Spark 3.5, and Scala's exceptions are unchecked anyway: Java's
    // compiler is told so.
    @SuppressWarnings("unchecked")
    private static <E extends Throwable> E rethrow(Throwable e) throws E {
        throw (E) e;
    }
}
