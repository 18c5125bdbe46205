// SPDX-License-Identifier: MIT
// dfa_dates._ufuncs: the add-in's seven functions as numpy ufuncs, each with two loops: on
// spreadsheet serials (float64), and on days since 1970-01-01 (int64: datetime64[D]'s values),
// which become serials through the add-in's calendar in the same pass; serial_of_days is that
// conversion alone. The add-in is compiled in and called directly. NaN, and serials or days
// outside the add-in's calendar (NaT among them), give NaN, as pandas' date accessors give for a
// missing date; a NaN mode too.
#define PY_SSIZE_T_CLEAN
#include <Python.h>
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>

#include <cmath>
#include <cstring>

#include "addin_serial.h"
#include "dfa.h"

namespace {

// Serials whose whole days (floored by the differences, truncated by the one-date functions)
// both lie within the add-in's calendar; false for NaN, without raising the invalid-operation
// flag that numpy reports as a warning.
constexpr double kFirstSerial = dfa::kFirstDay - dfa::kNullDate;
constexpr double kEndSerial = dfa::kLastDay - dfa::kNullDate + 1;
bool InCalendar(double serial) { return std::isgreaterequal(serial, kFirstSerial) && std::isless(serial, kEndSerial); }

// Values are read and written with memcpy: a ufunc's strided data need not be aligned.
template <typename T>
T Load(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}
void Store(char* p, double value) { std::memcpy(p, &value, sizeof value); }

// A date as the add-in's serial, or NaN where it names no day of the add-in's calendar.
double SerialOf(double serial) { return InCalendar(serial) ? serial : NAN; }
double SerialOf(int64_t days) { return dfa_host::AddinSerialOfDays(days).value_or(NAN); }

template <dfa_DateFunction_fn kFunction, typename Date>
void OneDateLoop(char** args, const npy_intp* dimensions, const npy_intp* steps, void*) {
    const char* date = args[0];
    char* out = args[1];
    for (npy_intp i = 0; i < dimensions[0]; ++i, date += steps[0], out += steps[1]) {
        const double serial = SerialOf(Load<Date>(date));
        double result = NAN;
        if (!std::isnan(serial)) kFunction(&result, &serial);
        Store(out, result);
    }
}

template <dfa_DiffFunction_fn kFunction, typename Date>
void DifferenceLoop(char** args, const npy_intp* dimensions, const npy_intp* steps, void*) {
    const char *first = args[0], *second = args[1], *mode = args[2];
    char* out = args[3];
    for (npy_intp i = 0; i < dimensions[0];
         ++i, first += steps[0], second += steps[1], mode += steps[2], out += steps[3]) {
        const double a = SerialOf(Load<Date>(first)), b = SerialOf(Load<Date>(second)), m = Load<double>(mode);
        double result = NAN;
        if (!std::isnan(a) && !std::isnan(b) && !std::isnan(m)) kFunction(&result, &a, &b, &m);
        Store(out, result);
    }
}

void SerialOfDaysLoop(char** args, const npy_intp* dimensions, const npy_intp* steps, void*) {
    const char* days = args[0];
    char* out = args[1];
    for (npy_intp i = 0; i < dimensions[0]; ++i, days += steps[0], out += steps[1]) Store(out, SerialOf(Load<int64_t>(days)));
}

// numpy keeps pointers to a ufunc's loops, data and types for as long as the ufunc lives.
struct UfuncDefinition {
    const char* name;
    const char* doc;
    int inputs, loops;
    PyUFuncGenericFunction loop[2];
    char types[8];  // each loop's input and output types, one loop after the other
    void* data[2];
};

template <dfa_DiffFunction_fn kFunction>
constexpr UfuncDefinition Difference(const char* name, const char* doc) {
    return {name, doc, 3, 2, {DifferenceLoop<kFunction, double>, DifferenceLoop<kFunction, int64_t>},
            {NPY_DOUBLE, NPY_DOUBLE, NPY_DOUBLE, NPY_DOUBLE, NPY_INT64, NPY_INT64, NPY_DOUBLE, NPY_DOUBLE}, {}};
}
template <dfa_DateFunction_fn kFunction>
constexpr UfuncDefinition OneDate(const char* name, const char* doc) {
    return {name, doc, 1, 2, {OneDateLoop<kFunction, double>, OneDateLoop<kFunction, int64_t>},
            {NPY_DOUBLE, NPY_DOUBLE, NPY_INT64, NPY_DOUBLE}, {}};
}

UfuncDefinition kUfuncs[] = {
    Difference<QvDate_GetDiffWeeks>("diff_weeks", "Whole weeks from the first date to the second; mode 1 counts from the Monday of ISO week 1."),
    Difference<QvDate_GetDiffMonths>("diff_months", "Whole months from the first date to the second; mode 1 counts calendar months."),
    Difference<QvDate_GetDiffYears>("diff_years", "Whole years from the first date to the second; mode 1 counts calendar years."),
    OneDate<QvDate_IsLeapYear>("is_leap_year", "1 if the date's year is a leap year, else 0."),
    OneDate<QvDate_DaysInMonth>("days_in_month", "Days of the date's month, 28 to 31."),
    OneDate<QvDate_DaysInYear>("days_in_year", "Days of the date's year, 365 or 366."),
    OneDate<QvDate_WeeksInYear>("weeks_in_year", "ISO 8601 weeks of the date's year, 52 or 53."),
    {"serial_of_days", "The add-in's serial of a day counted from 1970-01-01 (NaN outside its calendar).", 1, 1,
     {SerialOfDaysLoop}, {NPY_INT64, NPY_DOUBLE}, {}},
};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "dfa_dates._ufuncs", "The dfa add-in's functions as numpy ufuncs.", -1,
                       nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__ufuncs(void) {
    import_array();
    import_umath();
    PyObject* module = PyModule_Create(&kModule);
    if (!module) return nullptr;
    uint16_t count = 0;
    GetFunctionCount(&count);  // the add-in's handshake, which sets its null date
    for (UfuncDefinition& definition : kUfuncs) {
        PyObject* ufunc = PyUFunc_FromFuncAndData(definition.loop, definition.data, definition.types, definition.loops, definition.inputs, 1,
                                                  PyUFunc_None, definition.name, definition.doc, 0);
        if (!ufunc || PyModule_AddObject(module, definition.name, ufunc) < 0) {
            Py_XDECREF(ufunc);
            Py_DECREF(module);
            return nullptr;
        }
    }
    return module;
}
