// SPDX-License-Identifier: MIT
// The add-in's seven functions in PostgreSQL, on date. The add-in is compiled in and called
// directly; a date becomes its serial through the add-in's own calendar, and infinity or a date
// outside that calendar gives NULL (the functions are STRICT: NULL gives NULL before this).

extern "C" {
#include "postgres.h"

#include "fmgr.h"
#include "utils/date.h"
}

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

// PostgreSQL counts days from 2000-01-01, which is day 10957 since 1970-01-01.
constexpr int64_t kDays1970To2000 = 10957;

std::optional<double> Serial(DateADT date) {
    if (DATE_NOT_FINITE(date)) return std::nullopt;
    return dfa_host::AddinSerialOfDays(int64_t{date} + kDays1970To2000);
}

template <dfa_DateFunction_fn kFunction>
Datum OneDate(FunctionCallInfo fcinfo) {
    const std::optional<double> date = Serial(PG_GETARG_DATEADT(0));
    if (!date) PG_RETURN_NULL();
    double result = 0;
    kFunction(&result, &*date);
    PG_RETURN_INT32(static_cast<int32>(result));
}

template <dfa_DiffFunction_fn kFunction>
Datum Difference(FunctionCallInfo fcinfo) {
    const std::optional<double> first = Serial(PG_GETARG_DATEADT(0)), second = Serial(PG_GETARG_DATEADT(1));
    if (!first || !second) PG_RETURN_NULL();
    const double mode = PG_GETARG_INT32(2);
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

PG_FUNCTION_INFO_V1(qvdate_getdiffweeks);
PG_FUNCTION_INFO_V1(qvdate_getdiffmonths);
PG_FUNCTION_INFO_V1(qvdate_getdiffyears);
PG_FUNCTION_INFO_V1(qvdate_isleapyear);
PG_FUNCTION_INFO_V1(qvdate_daysinmonth);
PG_FUNCTION_INFO_V1(qvdate_daysinyear);
PG_FUNCTION_INFO_V1(qvdate_weeksinyear);

Datum qvdate_getdiffweeks(PG_FUNCTION_ARGS) { return Difference<QvDate_GetDiffWeeks>(fcinfo); }
Datum qvdate_getdiffmonths(PG_FUNCTION_ARGS) { return Difference<QvDate_GetDiffMonths>(fcinfo); }
Datum qvdate_getdiffyears(PG_FUNCTION_ARGS) { return Difference<QvDate_GetDiffYears>(fcinfo); }
Datum qvdate_isleapyear(PG_FUNCTION_ARGS) { return OneDate<QvDate_IsLeapYear>(fcinfo); }
Datum qvdate_daysinmonth(PG_FUNCTION_ARGS) { return OneDate<QvDate_DaysInMonth>(fcinfo); }
Datum qvdate_daysinyear(PG_FUNCTION_ARGS) { return OneDate<QvDate_DaysInYear>(fcinfo); }
Datum qvdate_weeksinyear(PG_FUNCTION_ARGS) { return OneDate<QvDate_WeeksInYear>(fcinfo); }

}  // extern "C"
#pragma GCC visibility pop
