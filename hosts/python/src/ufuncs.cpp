// SPDX-License-Identifier: MIT
// dfa_dates._ufuncs: the add-in's functions (the hosts' catalog of them) as numpy ufuncs, and
// `serial`, a date as the add-in's serial. Each ufunc has three loops, by what its dates are:
// - float64: spreadsheet serials (other numbers are cast to them by numpy);
// - datetime64 of any unit: the loop reads the unit from the array's dtype and floors each value
//   to its day (picoseconds to years, multiples such as 15m too), a block at a time, which the
//   add-in's column kernels then compute;
// - object: datetime.date and datetime.datetime by their own (local) date, numbers as serials,
//   None as missing; anything else goes to the package's reader in Python, which names what it
//   refuses.
// The add-in is compiled in and called directly. A missing date (NaN, NaT, None), a day outside
// the add-in's calendar and a NaN mode give NaN, as pandas' date accessors give for a missing date.
#define PY_SSIZE_T_CLEAN
#include <Python.h>
#include <datetime.h>
#define NPY_NO_DEPRECATED_API NPY_2_0_API_VERSION
#define NPY_TARGET_VERSION NPY_2_0_API_VERSION
#include <numpy/arrayobject.h>
#include <numpy/dtype_api.h>
#include <numpy/ufuncobject.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>

#include "addin_serial.h"
#include "column_loops.h"
#include "dfa.h"

namespace {

// Serials whose whole days (floored by the differences, truncated by the one-date functions)
// both lie within the add-in's calendar; false for NaN, without raising the invalid-operation
// flag that numpy reports as a warning.
constexpr double kFirstSerial = dfa::kFirstDay - dfa::kNullDate;
constexpr double kEndSerial = dfa::kLastDay - dfa::kNullDate + 1;
bool InCalendar(double serial) { return std::isgreaterequal(serial, kFirstSerial) && std::isless(serial, kEndSerial); }
double SerialOf(double serial) { return InCalendar(serial) ? serial : NAN; }

// Values are read and written with memcpy: a ufunc's strided data need not be aligned.
template <typename T>
T Load(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}
void Store(char* p, double value) { std::memcpy(p, &value, sizeof value); }

// Days since 1970-01-01 of a count of datetime64 units, floored; none for the generic unit
// (which holds only NaT) and counts whose day lies far beyond any calendar. In int64 for a
// count of one unit (the divisions by constants become multiplications); in 128 bits for
// multiples such as 15m and for femtoseconds and attoseconds, whose day overflows 64 bits.
template <typename Int>
std::optional<int64_t> DaysOfUnits(Int count, NPY_DATETIMEUNIT unit) {
    constexpr Int kFar = Int{1} << 40;
    auto floorDays = [](Int ticks, Int perDay) { return ticks / perDay - (ticks % perDay < 0); };
    if (unit <= NPY_FR_W && (count > kFar || count < -kFar)) return std::nullopt;
    Int days;
    switch (unit) {
        case NPY_FR_Y:
        case NPY_FR_M: {
            const Int months = unit == NPY_FR_Y ? count * 12 : count;
            const Int years = floorDays(months, 12);
            days = dfa_host::DaysFromCivil(static_cast<int64_t>(1970 + years), static_cast<unsigned>(months - years * 12) + 1, 1);
            break;
        }
        case NPY_FR_W: days = count * 7; break;
        case NPY_FR_D: days = count; break;
        case NPY_FR_h: days = floorDays(count, 24); break;
        case NPY_FR_m: days = floorDays(count, 1440); break;
        case NPY_FR_s: days = floorDays(count, 86'400); break;
        case NPY_FR_ms: days = floorDays(count, 86'400'000); break;
        case NPY_FR_us: days = floorDays(count, 86'400'000'000); break;
        case NPY_FR_ns: days = floorDays(count, 86'400'000'000'000); break;
        case NPY_FR_ps: days = floorDays(count, 86'400'000'000'000'000); break;
        case NPY_FR_fs:
        case NPY_FR_as:
            if constexpr (sizeof(Int) > sizeof(int64_t)) {
                days = floorDays(count, Int{86'400'000'000'000'000} * (unit == NPY_FR_fs ? 1000 : 1'000'000));
                break;
            }
            [[fallthrough]];
        default: return std::nullopt;
    }
    if (days > kFar || days < -kFar) return std::nullopt;
    return static_cast<int64_t>(days);
}

// The dates of one operand, read as serials, by the kind of its array.
struct SerialReader {
    explicit SerialReader(PyArray_Descr*) {}
    bool Read(const char* p, double& serial) const {
        serial = SerialOf(Load<double>(p));
        return true;
    }
};

// The day of a datetime64 value, as days since 1970-01-01; kNoDay, which no calendar holds, for
// NaT and for what names no day. datetime64[D] and [ns], numpy's and pandas' usual units, have
// readers of their own: a day is the value, or the value divided by a constant.
constexpr int64_t kNoDay = std::numeric_limits<int64_t>::min();
static_assert(kNoDay == NPY_DATETIME_NAT);

template <int64_t kPerDay>
struct FixedUnitDays {
    explicit FixedUnitDays(PyArray_Descr*) {}
    int64_t Read(const char* p) const {
        const int64_t value = Load<int64_t>(p);
        return value == NPY_DATETIME_NAT ? kNoDay : dfa_host::FloorDivide(value, kPerDay);
    }
};
using DayDays = FixedUnitDays<1>;
using NanosecondDays = FixedUnitDays<86'400'000'000'000>;

// 128 bits, for a multiple of a unit times a count (GCC's and clang's extension).
__extension__ using Int128 = __int128;

class UnitDays {
  public:
    explicit UnitDays(PyArray_Descr* descr)
        : meta_(reinterpret_cast<PyArray_DatetimeDTypeMetaData*>(PyDataType_C_METADATA(descr))->meta) {}
    int64_t Read(const char* p) const {
        const int64_t value = Load<int64_t>(p);
        if (value == NPY_DATETIME_NAT) return kNoDay;
        if (meta_.num == 1 && meta_.base < NPY_FR_fs) return DaysOfUnits<int64_t>(value, meta_.base).value_or(kNoDay);
        return DaysOfUnits<Int128>(Int128{value} * meta_.num, meta_.base).value_or(kNoDay);
    }

  private:
    PyArray_DatetimeMetaData meta_;
};

// A datetime64 operand read as serials, by its days.
template <typename Days>
struct DatetimeReader {
    explicit DatetimeReader(PyArray_Descr* descr) : days(descr) {}
    bool Read(const char* p, double& serial) const {
        serial = dfa_host::AddinSerialOfDays(days.Read(p)).value_or(NAN);
        return true;
    }
    Days days;
};

// The package's reader of what the object loop does not read itself: a date, a serial, NaN for
// a missing value, or an exception naming the value.
PyObject* objectReader = nullptr;

struct ObjectReader {
    explicit ObjectReader(PyArray_Descr*) {}
    bool Read(const char* p, double& serial) const {
        PyObject* value = Load<PyObject*>(p);
        if (value == nullptr || value == Py_None) {
            serial = NAN;
        } else if (PyFloat_CheckExact(value)) {
            serial = SerialOf(PyFloat_AS_DOUBLE(value));
        } else if (PyDateTime_CheckExact(value) || PyDate_CheckExact(value)) {
            serial = SerialOfDate(value);
        } else if (objectReader == nullptr) {
            PyErr_SetString(PyExc_RuntimeError, "dfa_dates: the object reader is not set");
            return false;
        } else {
            PyObject* read = PyObject_CallOneArg(objectReader, value);
            if (read == nullptr) return false;
            serial = PyDate_Check(read) ? SerialOfDate(read) : SerialOf(PyFloat_AsDouble(read));
            Py_DECREF(read);
            if (PyErr_Occurred()) return false;
        }
        return true;
    }

  private:
    static double SerialOfDate(PyObject* date) {
        return dfa_host::AddinSerial(PyDateTime_GET_YEAR(date), PyDateTime_GET_MONTH(date), PyDateTime_GET_DAY(date)).value_or(NAN);
    }
};

// The serial of a date, for `serial`, in the add-in's functions' shape.
void Identity(double* result, const double* serial) { *result = *serial; }

template <dfa_DateFunction_fn kFunction, typename Reader>
bool RunOneDate(PyArray_Descr* const* descrs, char* const* args, const npy_intp* dimensions, const npy_intp* steps) {
    const Reader reader(descrs ? descrs[0] : nullptr);
    const char* date = args[0];
    char* out = args[1];
    for (npy_intp i = 0; i < dimensions[0]; ++i, date += steps[0], out += steps[1]) {
        double serial, result = NAN;
        if (!reader.Read(date, serial)) return false;
        if (!std::isnan(serial)) kFunction(&result, &serial);
        Store(out, result);
    }
    return true;
}

template <dfa_DiffFunction_fn kFunction, typename Reader>
bool RunDifference(PyArray_Descr* const* descrs, char* const* args, const npy_intp* dimensions, const npy_intp* steps) {
    const Reader firstReader(descrs ? descrs[0] : nullptr), secondReader(descrs ? descrs[1] : nullptr);
    const char *first = args[0], *second = args[1], *mode = args[2];
    char* out = args[3];
    for (npy_intp i = 0; i < dimensions[0];
         ++i, first += steps[0], second += steps[1], mode += steps[2], out += steps[3]) {
        double a, b, result = NAN;
        if (!firstReader.Read(first, a) || !secondReader.Read(second, b)) return false;
        const double m = Load<double>(mode);
        if (!std::isnan(a) && !std::isnan(b) && !std::isnan(m)) kFunction(&result, &a, &b, &m);
        Store(out, result);
    }
    return true;
}

// datetime64 through the add-in's column kernels, a block at a time: the days of an operand are
// read into the block (a datetime64[D] run is read where it is), and the result is copied out of
// it where it is not a contiguous, aligned run.
constexpr npy_intp kBlock = 512;

template <typename T>
bool IsRun(const char* p, npy_intp step) {
    return step == sizeof(T) && reinterpret_cast<std::uintptr_t>(p) % alignof(T) == 0;
}
template <typename Days>
const int64_t* ReadDays(const Days& reader, const char* p, npy_intp step, npy_intp n, int64_t* block) {
    if (std::is_same_v<Days, DayDays> && IsRun<int64_t>(p, step)) return reinterpret_cast<const int64_t*>(p);
    for (npy_intp i = 0; i < n; ++i) block[i] = reader.Read(p + i * step);
    return block;
}
const double* ReadModes(const char* p, npy_intp step, npy_intp n, double* block) {
    if (IsRun<double>(p, step)) return reinterpret_cast<const double*>(p);
    for (npy_intp i = 0; i < n; ++i) block[i] = Load<double>(p + i * step);
    return block;
}
void WriteBlock(char* p, npy_intp step, npy_intp n, const double* block) {
    if (reinterpret_cast<const char*>(block) == p) return;
    for (npy_intp i = 0; i < n; ++i) Store(p + i * step, block[i]);
}

template <dfa_DateFunction_fn kFunction, typename Days>
bool RunOneDateColumn(PyArray_Descr* const* descrs, char* const* args, const npy_intp* dimensions, const npy_intp* steps) {
    const dfa_python::OneDateKernel kernel = dfa_python::KernelOf(kFunction);
    if (!kernel) return RunOneDate<kFunction, DatetimeReader<Days>>(descrs, args, dimensions, steps);
    const Days reader(descrs[0]);
    int64_t days[kBlock];
    double results[kBlock];
    for (npy_intp start = 0; start < dimensions[0]; start += kBlock) {
        const npy_intp n = std::min(kBlock, dimensions[0] - start);
        char* out = args[1] + start * steps[1];
        double* written = IsRun<double>(out, steps[1]) ? reinterpret_cast<double*>(out) : results;
        kernel(ReadDays(reader, args[0] + start * steps[0], steps[0], n, days), written, static_cast<std::size_t>(n));
        WriteBlock(out, steps[1], n, written);
    }
    return true;
}

template <dfa_DiffFunction_fn kFunction, typename Days>
bool RunDifferenceColumn(PyArray_Descr* const* descrs, char* const* args, const npy_intp* dimensions, const npy_intp* steps) {
    const dfa_python::DifferenceKernel kernel = dfa_python::KernelOf(kFunction);
    if (!kernel) return RunDifference<kFunction, DatetimeReader<Days>>(descrs, args, dimensions, steps);
    const Days firstReader(descrs[0]), secondReader(descrs[1]);
    int64_t first[kBlock], second[kBlock];
    double modes[kBlock], results[kBlock];
    const bool oneMode = steps[2] == 0;  // a scalar mode, broadcast
    for (npy_intp start = 0; start < dimensions[0]; start += kBlock) {
        const npy_intp n = std::min(kBlock, dimensions[0] - start);
        const char* mode = args[2] + start * steps[2];
        if (oneMode) modes[0] = Load<double>(mode);
        char* out = args[3] + start * steps[3];
        double* written = IsRun<double>(out, steps[3]) ? reinterpret_cast<double*>(out) : results;
        kernel(ReadDays(firstReader, args[0] + start * steps[0], steps[0], n, first),
               ReadDays(secondReader, args[1] + start * steps[1], steps[1], n, second),
               oneMode ? modes : ReadModes(mode, steps[2], n, modes), oneMode ? 0 : 1, written, static_cast<std::size_t>(n));
        WriteBlock(out, steps[3], n, written);
    }
    return true;
}

// A run as numpy's loops are called: the float64 loop the classic way, the others with the
// resolved dtypes, whose units they read.
template <auto kRun>
void SerialLoop(char** args, const npy_intp* dimensions, const npy_intp* steps, void*) { kRun(nullptr, args, dimensions, steps); }
template <auto kRun>
int DescribedLoop(PyArrayMethod_Context* context, char* const* args, const npy_intp* dimensions, const npy_intp* steps, NpyAuxData*) {
    return kRun(context->descriptors, args, dimensions, steps) ? 0 : -1;
}

// The datetime64 loop: that of days or nanoseconds where every date has that unit, else the
// one that reads each array's unit.
NPY_DATETIMEUNIT UnitOf(PyArray_Descr* descr) {
    const PyArray_DatetimeMetaData& meta = reinterpret_cast<PyArray_DatetimeDTypeMetaData*>(PyDataType_C_METADATA(descr))->meta;
    return meta.num == 1 ? meta.base : NPY_FR_GENERIC;
}
template <int kDates, auto kRunDays, auto kRunNanoseconds, auto kRunUnits>
int DatetimeLoop(PyArrayMethod_Context* context, char* const* args, const npy_intp* dimensions, const npy_intp* steps, NpyAuxData*) {
    PyArray_Descr* const* descrs = context->descriptors;
    const NPY_DATETIMEUNIT unit = UnitOf(descrs[0]);
    const bool same = kDates == 1 || UnitOf(descrs[1]) == unit;
    auto run = same && unit == NPY_FR_D ? kRunDays : same && unit == NPY_FR_ns ? kRunNanoseconds : kRunUnits;
    return run(descrs, args, dimensions, steps) ? 0 : -1;
}

// The loops' dtypes: the dates' own (datetime64 keeps its unit, in native byte order), then
// float64 for the mode and the result.
template <int kDates, int kOperands>
NPY_CASTING ResolveDescriptors(PyArrayMethodObject_tag*, PyArray_DTypeMeta* const*, PyArray_Descr* const* given, PyArray_Descr** loop,
                               npy_intp*) {
    for (int i = 0; i < kOperands; ++i) {
        if (i >= kDates) {
            loop[i] = PyArray_DescrFromType(NPY_DOUBLE);
        } else if (PyDataType_ISNOTSWAPPED(given[i])) {
            Py_INCREF(given[i]);
            loop[i] = given[i];
        } else {
            loop[i] = PyArray_DescrNewByteorder(given[i], NPY_NATIVE);
        }
        if (!loop[i]) {
            while (i-- > 0) Py_DECREF(loop[i]);
            return static_cast<NPY_CASTING>(-1);
        }
    }
    return NPY_NO_CASTING;
}

// A mode of any number type is taken as float64, with datetime64 or object dates.
template <int kDates, int kOperands>
int PromoteMode(PyObject*, PyArray_DTypeMeta* const opDtypes[], PyArray_DTypeMeta* const[], PyArray_DTypeMeta* newDtypes[]) {
    for (int i = 0; i < kOperands; ++i) {
        newDtypes[i] = i < kDates ? opDtypes[0] : &PyArray_DoubleDType;
        Py_INCREF(newDtypes[i]);
    }
    return 0;
}

// A ufunc's loops for dates of one kind (datetime64 or object), with the promoter that brings
// a mode of another number type to them.
template <int kDates, int kOperands>
int AddLoop(PyObject* ufunc, PyArray_DTypeMeta* dates, PyArrayMethod_StridedLoop* loop, NPY_ARRAYMETHOD_FLAGS flags) {
    PyArray_DTypeMeta* dtypes[static_cast<std::size_t>(kOperands)];
    for (int i = 0; i < kOperands; ++i) dtypes[i] = i < kDates ? dates : &PyArray_DoubleDType;
    PyType_Slot slots[] = {{NPY_METH_resolve_descriptors, reinterpret_cast<void*>(ResolveDescriptors<kDates, kOperands>)},
                           {NPY_METH_strided_loop, reinterpret_cast<void*>(loop)},
                           {0, nullptr}};
    PyArrayMethod_Spec method = {"dfa_dates_loop", kDates == 1 ? 1 : 3, 1, NPY_NO_CASTING, flags, dtypes, slots};
    if (PyUFunc_AddLoopFromSpec(ufunc, &method) < 0) return -1;
    if (kOperands == 2) return 0;  // one date: nothing to promote
    PyObject* key = PyTuple_New(kOperands);
    PyObject* promoter = PyCapsule_New(reinterpret_cast<void*>(PromoteMode<kDates, kOperands>), "numpy._ufunc_promoter", nullptr);
    if (!key || !promoter) {
        Py_XDECREF(key);
        Py_XDECREF(promoter);
        return -1;
    }
    for (int i = 0; i < kOperands; ++i) {
        PyObject* item = i < kDates ? reinterpret_cast<PyObject*>(dates) : Py_None;
        Py_INCREF(item);
        PyTuple_SET_ITEM(key, i, item);
    }
    const int added = PyUFunc_AddPromoter(ufunc, key, promoter);
    Py_DECREF(key);
    Py_DECREF(promoter);
    return added;
}

// numpy keeps pointers to a ufunc's name, loops, data and types for as long as the ufunc lives.
struct UfuncDefinition {
    const char* entryName;  // the add-in's, which the ufunc's name is made from; null for `serial`
    const char* doc;
    int inputs;
    dfa_DateFunction_fn oneDate;     // the add-in's function (or `serial`'s), of one date
    dfa_DiffFunction_fn difference;  // or of two
    PyObject* ufunc;                 // the module's reference
    PyUFuncGenericFunction serialLoop[1];
    PyArrayMethod_StridedLoop* datetimeLoop;
    PyArrayMethod_StridedLoop* objectLoop;
    char types[4];
    char name[32];
};

template <dfa_DiffFunction_fn kFunction>
constexpr UfuncDefinition Difference(const char* entryName, const char* doc) {
    return {entryName, doc, 3, nullptr, kFunction, nullptr, {SerialLoop<RunDifference<kFunction, SerialReader>>},
            DatetimeLoop<2, RunDifferenceColumn<kFunction, DayDays>, RunDifferenceColumn<kFunction, NanosecondDays>,
                         RunDifferenceColumn<kFunction, UnitDays>>,
            DescribedLoop<RunDifference<kFunction, ObjectReader>>,
            {NPY_DOUBLE, NPY_DOUBLE, NPY_DOUBLE, NPY_DOUBLE}, {}};
}
template <dfa_DateFunction_fn kFunction>
constexpr UfuncDefinition OneDate(const char* entryName, const char* doc) {
    return {entryName, doc, 1, kFunction, nullptr, nullptr, {SerialLoop<RunOneDate<kFunction, SerialReader>>},
            DatetimeLoop<1, RunOneDateColumn<kFunction, DayDays>, RunOneDateColumn<kFunction, NanosecondDays>,
                         RunOneDateColumn<kFunction, UnitDays>>,
            DescribedLoop<RunOneDate<kFunction, ObjectReader>>,
            {NPY_DOUBLE, NPY_DOUBLE}, {}};
}
#define DFA_KIND_DIFFERENCE Difference
#define DFA_KIND_DATE OneDate

void* const kNoData[1] = {nullptr};

UfuncDefinition kUfuncs[] = {
#define DFA_CATALOG_ENTRY(entry, kind, description, ...) DFA_KIND_##kind<entry>(#entry, description),
#include "function_catalog.def"
#undef DFA_CATALOG_ENTRY
    OneDate<Identity>(nullptr, "The add-in's serial of a date (NaN for what is no day of its calendar)."),
};

// Python's name of an entry: QvDate_GetDiffWeeks is diff_weeks, QvDate_IsLeapYear is_leap_year.
void MakeName(UfuncDefinition& definition) {
    if (!definition.entryName) {
        std::strcpy(definition.name, "serial");
        return;
    }
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

PyObject* MakeUfunc(UfuncDefinition& definition) {
    PyObject* ufunc = PyUFunc_FromFuncAndData(definition.serialLoop, const_cast<void**>(kNoData), definition.types, 1,
                                              definition.inputs, 1, PyUFunc_None, definition.name, definition.doc, 0);
    if (!ufunc) return nullptr;
    int added;
    if (definition.inputs == 1) {
        added = AddLoop<1, 2>(ufunc, &PyArray_DatetimeDType, definition.datetimeLoop, NPY_METH_NO_FLOATINGPOINT_ERRORS);
        if (added == 0) added = AddLoop<1, 2>(ufunc, &PyArray_ObjectDType, definition.objectLoop, NPY_METH_REQUIRES_PYAPI);
    } else {
        added = AddLoop<2, 4>(ufunc, &PyArray_DatetimeDType, definition.datetimeLoop, NPY_METH_NO_FLOATINGPOINT_ERRORS);
        if (added == 0) added = AddLoop<2, 4>(ufunc, &PyArray_ObjectDType, definition.objectLoop, NPY_METH_REQUIRES_PYAPI);
    }
    if (added < 0) {
        Py_DECREF(ufunc);
        return nullptr;
    }
    return ufunc;
}

// set_object_reader(function): the package's reader of the objects the object loop passes on.
PyObject* SetObjectReader(PyObject*, PyObject* reader) {
    if (!PyCallable_Check(reader)) {
        PyErr_SetString(PyExc_TypeError, "dfa_dates: the object reader must be callable");
        return nullptr;
    }
    Py_INCREF(reader);
    Py_XSETREF(objectReader, reader);
    Py_RETURN_NONE;
}

// A buffer of one C type, held for as long as the view lives.
template <typename T>
class Column {
  public:
    bool Get(PyObject* object, bool writable) {
        if (PyObject_GetBuffer(object, &view_, PyBUF_C_CONTIGUOUS | PyBUF_FORMAT | (writable ? PyBUF_WRITABLE : 0)) < 0) return false;
        held_ = true;
        const char* format = view_.format ? view_.format : "B";
        const char last = format[std::strlen(format) - 1];
        if (view_.itemsize != sizeof(T) || last != (std::is_same_v<T, double> ? 'd' : 'i') || std::strchr(format, '>') ||
            reinterpret_cast<std::uintptr_t>(view_.buf) % alignof(T) != 0) {
            PyErr_SetString(PyExc_TypeError, std::is_same_v<T, double> ? "dfa_dates: expected aligned float64 values"
                                                                       : "dfa_dates: expected aligned int32 values");
            return false;
        }
        return true;
    }
    ~Column() {
        if (held_) PyBuffer_Release(&view_);
    }
    T* Data() const { return static_cast<T*>(view_.buf); }
    std::size_t Size() const { return static_cast<std::size_t>(view_.len) / sizeof(T); }

  private:
    Py_buffer view_{};
    bool held_ = false;
};

// int32_column(ufunc, out, dates) and int32_column(ufunc, out, first, second, modes): one of the
// add-in's functions over int32 day counts since 1970-01-01 (Arrow's date32, Polars' Date),
// written to out as int32, the least int32 where there is no result; returns how many have none.
// The dates are buffers of out's length, the modes of that length or one.
PyObject* Int32Column(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    const UfuncDefinition* definition = nullptr;
    for (const UfuncDefinition& d : kUfuncs) {
        if (nargs > 0 && d.ufunc == args[0] && d.entryName) definition = &d;
    }
    if (!definition || nargs != (definition->inputs == 1 ? 3 : 5)) {
        PyErr_SetString(PyExc_TypeError, "int32_column(ufunc, out, dates) or int32_column(ufunc, out, first, second, modes)");
        return nullptr;
    }
    Column<int32_t> out, first, second;
    Column<double> modes;
    if (!out.Get(args[1], true) || !first.Get(args[2], false)) return nullptr;
    if (definition->inputs == 3 && (!second.Get(args[3], false) || !modes.Get(args[4], false))) return nullptr;
    const std::size_t n = out.Size();
    if (first.Size() != n || (definition->inputs == 3 && (second.Size() != n || (modes.Size() != n && modes.Size() != 1)))) {
        PyErr_SetString(PyExc_ValueError, "dfa_dates: columns of different lengths");
        return nullptr;
    }
    const auto oneDate = dfa_python::Kernel32Of(definition->oneDate);
    const auto difference = dfa_python::Kernel32Of(definition->difference);
    if (!oneDate && !difference) {
        PyErr_Format(PyExc_NotImplementedError, "dfa_dates: %s has no column kernel", definition->name);
        return nullptr;
    }
    std::size_t nNone;
    Py_BEGIN_ALLOW_THREADS
    nNone = oneDate ? oneDate(first.Data(), out.Data(), n)
                    : difference(first.Data(), second.Data(), modes.Data(), modes.Size() == n ? 1 : 0, out.Data(), n);
    Py_END_ALLOW_THREADS
    return PyLong_FromSize_t(nNone);
}

PyMethodDef kMethods[] = {{"set_object_reader", SetObjectReader, METH_O, "Sets the reader of the objects the object loops pass on."},
                          {"int32_column", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(Int32Column)), METH_FASTCALL,
                           "A function over int32 day counts, into an int32 column; the count of results that are none."},
                          {nullptr, nullptr, 0, nullptr}};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "dfa_dates._ufuncs", "The dfa add-in's functions as numpy ufuncs.", -1,
                       kMethods, nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__ufuncs(void) {
    import_array();
    import_umath();
    PyDateTime_IMPORT;
    if (!PyDateTimeAPI) return nullptr;
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
        MakeName(definition);
        if (definition.entryName) {
            PyObject* entry = PyUnicode_FromString(definition.entryName);
            const int added = entry ? PyDict_SetItemString(entries, definition.name, entry) : -1;
            Py_XDECREF(entry);
            if (added < 0) {
                Py_DECREF(module);
                return nullptr;
            }
        }
        PyObject* ufunc = MakeUfunc(definition);
        if (!ufunc || PyModule_AddObject(module, definition.name, ufunc) < 0) {
            Py_XDECREF(ufunc);
            Py_DECREF(module);
            return nullptr;
        }
        definition.ufunc = ufunc;
    }
    return module;
}
