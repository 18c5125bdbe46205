// SPDX-License-Identifier: MIT
// dfa_dates._ufuncs: the add-in's functions (the hosts' catalog of them) as numpy ufuncs, each with two loops: on
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

// numpy keeps pointers to a ufunc's name, loops, data and types for as long as the ufunc lives.
struct UfuncDefinition {
    const char* entryName;  // the add-in's, which the ufunc's name is made from; null for the module's own
    const char* doc;
    int inputs, loops;
    PyUFuncGenericFunction loop[2];
    char types[8];  // each loop's input and output types, one loop after the other
    void* data[2];
    char name[32];
};

template <dfa_DiffFunction_fn kFunction>
constexpr UfuncDefinition Difference(const char* entryName, const char* doc) {
    return {entryName, doc, 3, 2, {DifferenceLoop<kFunction, double>, DifferenceLoop<kFunction, int64_t>},
            {NPY_DOUBLE, NPY_DOUBLE, NPY_DOUBLE, NPY_DOUBLE, NPY_INT64, NPY_INT64, NPY_DOUBLE, NPY_DOUBLE}, {}, {}};
}
template <dfa_DateFunction_fn kFunction>
constexpr UfuncDefinition OneDate(const char* entryName, const char* doc) {
    return {entryName, doc, 1, 2, {OneDateLoop<kFunction, double>, OneDateLoop<kFunction, int64_t>},
            {NPY_DOUBLE, NPY_DOUBLE, NPY_INT64, NPY_DOUBLE}, {}, {}};
}
#define DFA_KIND_DIFFERENCE Difference
#define DFA_KIND_DATE OneDate

UfuncDefinition kUfuncs[] = {
#define DFA_CATALOG_ENTRY(entry, kind, description, ...) DFA_KIND_##kind<entry>(#entry, description),
#include "function_catalog.def"
#undef DFA_CATALOG_ENTRY
    {nullptr, "The add-in's serial of a day counted from 1970-01-01 (NaN outside its calendar).", 1, 1,
     {SerialOfDaysLoop}, {NPY_INT64, NPY_DOUBLE}, {}, "serial_of_days"},
};

// Python's name of an entry: QvDate_GetDiffWeeks is diff_weeks, QvDate_IsLeapYear is_leap_year.
void MakeName(UfuncDefinition& definition) {
    const char* in = definition.entryName;
    if (const char* underscore = std::strchr(in, '_')) in = underscore + 1;
    if (std::strncmp(in, "Get", 3) == 0) in += 3;
    std::size_t n = 0;
    for (; *in && n + 2 < sizeof definition.name; ++in) {
        const bool upper = *in >= 'A' && *in <= 'Z';
        if (upper && n > 0) definition.name[n++] = '_';
        definition.name[n++] = upper ? static_cast<char>(*in - 'A' + 'a') : *in;
    }
    definition.name[n] = '\0';
}

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
    // Each function's entry name, under which the SQL engines register it.
    PyObject* entries = PyDict_New();
    if (!entries || PyModule_AddObject(module, "entry_names", entries) < 0) {
        Py_XDECREF(entries);
        Py_DECREF(module);
        return nullptr;
    }
    for (UfuncDefinition& definition : kUfuncs) {
        if (definition.entryName) {
            MakeName(definition);
            PyObject* entry = PyUnicode_FromString(definition.entryName);
            const int added = entry ? PyDict_SetItemString(entries, definition.name, entry) : -1;
            Py_XDECREF(entry);
            if (added < 0) {
                Py_DECREF(module);
                return nullptr;
            }
        }
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
