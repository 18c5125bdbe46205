// SPDX-License-Identifier: MIT
// The add-in's seven functions in PostgreSQL, on date, timestamp and timestamp with time zone.
// The add-in is compiled in and called directly. A value's day is the one its cast to date gives
// (a timestamptz's in the session's TimeZone); the day becomes its serial through the add-in's
// own calendar, and infinity or a day outside that calendar gives NULL, as does a NaN mode (the
// functions are STRICT: NULL gives NULL before this).

extern "C" {
#include "postgres.h"

#include "fmgr.h"
#include "utils/date.h"
#include "utils/fmgrprotos.h"
#include "utils/timestamp.h"
}

#include <cmath>
#include <optional>

#include "addin_serial.h"
#include "dfa.h"

// The module is built with hidden visibility; what PostgreSQL looks up is exported on purpose.
#pragma GCC visibility push(default)
extern "C" {
PG_MODULE_MAGIC;
void _PG_init(void);
}
#pragma GCC visibility pop

namespace {

// PostgreSQL counts days from its epoch, 2000-01-01.
constexpr int64_t kPostgresEpochDays = dfa_host::DaysFromCivil(2000, 1, 1);

std::optional<double> SerialOfDate(DateADT date) {
    if (DATE_NOT_FINITE(date)) return std::nullopt;
    return dfa_host::AddinSerialOfDays(int64_t{date} + kPostgresEpochDays);
}

// An argument's serial, by its SQL type: the day as CAST(x AS date) names it.
enum class Type { kDate, kTimestamp, kTimestampTz };

template <Type kType>
std::optional<double> Serial(FunctionCallInfo fcinfo, int argument) {
    const Datum value = PG_GETARG_DATUM(argument);
    if constexpr (kType == Type::kDate) return SerialOfDate(DatumGetDateADT(value));
    else if constexpr (kType == Type::kTimestamp) return SerialOfDate(DatumGetDateADT(DirectFunctionCall1(timestamp_date, value)));
    else return SerialOfDate(DatumGetDateADT(DirectFunctionCall1(timestamptz_date, value)));
}

template <dfa_DateFunction_fn kFunction, Type kType>
Datum OneDate(FunctionCallInfo fcinfo) {
    const std::optional<double> date = Serial<kType>(fcinfo, 0);
    if (!date) PG_RETURN_NULL();
    double result = 0;
    kFunction(&result, &*date);
    PG_RETURN_INT32(static_cast<int32>(result));
}

// Interface 1.0 took the mode as integer; 1.1 takes double precision, as the add-in reads it.
template <dfa_DiffFunction_fn kFunction, Type kType, bool kIntegerMode = false>
Datum Difference(FunctionCallInfo fcinfo) {
    const std::optional<double> first = Serial<kType>(fcinfo, 0), second = Serial<kType>(fcinfo, 1);
    const double mode = kIntegerMode ? PG_GETARG_INT32(2) : PG_GETARG_FLOAT8(2);
    if (!first || !second || std::isnan(mode)) PG_RETURN_NULL();
    double result = 0;
    kFunction(&result, &*first, &*second, &mode);
    PG_RETURN_INT32(static_cast<int32>(result));
}

}  // namespace

#pragma GCC visibility push(default)
extern "C" {

// The add-in's handshake, which sets the null date its serials count from.
void _PG_init(void) {
    uint16_t count = 0;
    GetFunctionCount(&count);
}

// Each function of the catalog for date, timestamp and timestamptz, under its entry name with
// _date, _timestamp and _timestamptz (the names the SQL script gives).
#define DFA_KIND_DIFFERENCE Difference
#define DFA_KIND_DATE OneDate
#define DFA_CATALOG_ENTRY(entry, kind, ...)                                                                 \
    PG_FUNCTION_INFO_V1(entry##_date);                                                                     \
    PG_FUNCTION_INFO_V1(entry##_timestamp);                                                                \
    PG_FUNCTION_INFO_V1(entry##_timestamptz);                                                              \
    Datum entry##_date(PG_FUNCTION_ARGS) { return DFA_KIND_##kind<entry, Type::kDate>(fcinfo); }           \
    Datum entry##_timestamp(PG_FUNCTION_ARGS) { return DFA_KIND_##kind<entry, Type::kTimestamp>(fcinfo); } \
    Datum entry##_timestamptz(PG_FUNCTION_ARGS) { return DFA_KIND_##kind<entry, Type::kTimestampTz>(fcinfo); }
#include "function_catalog.def"
#undef DFA_CATALOG_ENTRY

// Interface 1.0's functions, which a database keeps until ALTER EXTENSION dfa UPDATE.
PG_FUNCTION_INFO_V1(qvdate_getdiffweeks);
PG_FUNCTION_INFO_V1(qvdate_getdiffmonths);
PG_FUNCTION_INFO_V1(qvdate_getdiffyears);
PG_FUNCTION_INFO_V1(qvdate_isleapyear);
PG_FUNCTION_INFO_V1(qvdate_daysinmonth);
PG_FUNCTION_INFO_V1(qvdate_daysinyear);
PG_FUNCTION_INFO_V1(qvdate_weeksinyear);
Datum qvdate_getdiffweeks(PG_FUNCTION_ARGS) { return Difference<QvDate_GetDiffWeeks, Type::kDate, true>(fcinfo); }
Datum qvdate_getdiffmonths(PG_FUNCTION_ARGS) { return Difference<QvDate_GetDiffMonths, Type::kDate, true>(fcinfo); }
Datum qvdate_getdiffyears(PG_FUNCTION_ARGS) { return Difference<QvDate_GetDiffYears, Type::kDate, true>(fcinfo); }
Datum qvdate_isleapyear(PG_FUNCTION_ARGS) { return OneDate<QvDate_IsLeapYear, Type::kDate>(fcinfo); }
Datum qvdate_daysinmonth(PG_FUNCTION_ARGS) { return OneDate<QvDate_DaysInMonth, Type::kDate>(fcinfo); }
Datum qvdate_daysinyear(PG_FUNCTION_ARGS) { return OneDate<QvDate_DaysInYear, Type::kDate>(fcinfo); }
Datum qvdate_weeksinyear(PG_FUNCTION_ARGS) { return OneDate<QvDate_WeeksInYear, Type::kDate>(fcinfo); }

}  // extern "C"
#pragma GCC visibility pop
