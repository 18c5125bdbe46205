// SPDX-License-Identifier: MIT
// The add-in's seven functions in DuckDB, as vectorised scalar functions of its C extension API:
// one build loads in every DuckDB that offers the API version it asks for or a later one.
// The add-in is compiled in and called directly. DATE and TIMESTAMP arguments (a timestamp
// counts by its day) become the add-in's serials through its own calendar; NULL, infinity and
// dates outside 0000-01-01 to 65535-12-31 give NULL. The differences take 2 or 3 arguments (a
// missing mode is 0); the mode is a DOUBLE, read as the add-in reads it, and NULL or NaN gives
// NULL. A TIMESTAMPTZ has no overload: its day depends on the session's TimeZone, which the
// stable C API does not show an extension, so DuckDB refuses it and x::DATE names the day.
#define DUCKDB_EXTENSION_NAME dfa
#include <duckdb_extension.h>
DUCKDB_EXTENSION_EXTERN

#include <cstdint>
#include <optional>

#include "addin_serial.h"
#include "columns.h"
#include "dfa.h"

namespace {

using dfa::columns::kNoResult;

constexpr int64_t kMicrosecondsPerDay = 86400000000;

// A column of the chunk: its values and which rows hold one.
template <typename T>
struct Column {
    const T* values;
    uint64_t* validity;  // null when every row is valid
    explicit Column(duckdb_vector vector)
        : values(vector ? static_cast<const T*>(duckdb_vector_get_data(vector)) : nullptr),
          validity(vector ? duckdb_vector_get_validity(vector) : nullptr) {}
    // The mask's layout is the API's: a bit per row, 64 rows a word (read here, not called per row).
    bool valid(idx_t row) const { return !validity || (validity[row / 64] >> (row % 64) & 1); }
};

// Days since 1970-01-01 of a block of rows: a DATE is its days (infinity is beyond any calendar),
// a TIMESTAMP its microseconds floored to the day.
constexpr idx_t kBlock = 2048;
const int32_t* Days(const int32_t* dates, idx_t, int64_t*) { return dates; }
const int64_t* Days(const int64_t* timestamps, idx_t rows, int64_t* block) {
    for (idx_t row = 0; row < rows; ++row) block[row] = dfa_host::FloorDivide(timestamps[row], kMicrosecondsPerDay);
    return block;
}

// NULL where an argument is NULL or the function has no result.
template <typename... Arguments>
void SetNulls(duckdb_vector output, int32_t* results, idx_t rows, const Arguments&... arguments) {
    uint64_t* validity = nullptr;
    for (idx_t row = 0; row < rows; ++row) {
        if (results[row] != kNoResult && (arguments.valid(row) && ...)) continue;
        if (!validity) {
            duckdb_vector_ensure_validity_writable(output);
            validity = duckdb_vector_get_validity(output);
        }
        duckdb_validity_set_row_invalid(validity, row);
    }
}

// The add-in's column kernels (columns.h), a block of rows at a time.
template <dfa::columns::OneDate kFunction, typename T>
DFA_COLUMN_CPU_LEVELS void OneDate(duckdb_function_info, duckdb_data_chunk input, duckdb_vector output) {
    const idx_t rows = duckdb_data_chunk_get_size(input);
    const Column<T> dates(duckdb_data_chunk_get_vector(input, 0));
    auto* results = static_cast<int32_t*>(duckdb_vector_get_data(output));
    int64_t days[kBlock];
    for (idx_t start = 0; start < rows; start += kBlock) {
        const idx_t n = rows - start < kBlock ? rows - start : kBlock;
        dfa::columns::OneDateColumn<kFunction>(Days(dates.values + start, n, days), results + start, n);
    }
    SetNulls(output, results, rows, dates);
}

template <dfa::columns::Difference kFunction, typename T>
DFA_COLUMN_CPU_LEVELS void Difference(duckdb_function_info, duckdb_data_chunk input, duckdb_vector output) {
    const idx_t rows = duckdb_data_chunk_get_size(input);
    const Column<T> firsts(duckdb_data_chunk_get_vector(input, 0)), seconds(duckdb_data_chunk_get_vector(input, 1));
    const bool withMode = duckdb_data_chunk_get_column_count(input) == 3;
    const Column<double> modes(withMode ? duckdb_data_chunk_get_vector(input, 2) : nullptr);
    constexpr double kStandard = 0.0;  // a missing mode
    auto* results = static_cast<int32_t*>(duckdb_vector_get_data(output));
    int64_t first[kBlock], second[kBlock];
    for (idx_t start = 0; start < rows; start += kBlock) {
        const idx_t n = rows - start < kBlock ? rows - start : kBlock;
        dfa::columns::DifferenceColumn<kFunction>(Days(firsts.values + start, n, first), Days(seconds.values + start, n, second),
                                                  withMode ? modes.values + start : &kStandard, withMode ? 1 : 0, results + start, n);
    }
    SetNulls(output, results, rows, firsts, seconds, modes);
}

using Callback = void (*)(duckdb_function_info, duckdb_data_chunk, duckdb_vector);

struct Function {
    const char* name;  // the add-in's entry name; SQL ignores its case
    bool difference;
    Callback onDates, onTimestamps;
};

template <dfa_DiffFunction_fn kFunction>
constexpr Function DifferenceOf(const char* name) {
    constexpr dfa::columns::Difference kKernel = *dfa::columns::KernelOf(kFunction);
    return {name, true, Difference<kKernel, int32_t>, Difference<kKernel, int64_t>};
}
template <dfa_DateFunction_fn kFunction>
constexpr Function OneDateOf(const char* name) {
    constexpr dfa::columns::OneDate kKernel = *dfa::columns::KernelOf(kFunction);
    return {name, false, OneDate<kKernel, int32_t>, OneDate<kKernel, int64_t>};
}
#define DFA_KIND_DIFFERENCE DifferenceOf
#define DFA_KIND_DATE OneDateOf

constexpr Function kFunctions[] = {
#define DFA_CATALOG_ENTRY(entry, kind, ...) DFA_KIND_##kind<entry>(#entry),
#include "function_catalog.def"
#undef DFA_CATALOG_ENTRY
};

// One overload: the dates of the given type, and the mode where there is one.
bool AddOverload(duckdb_scalar_function_set set, const Function& f, duckdb_type dateType, Callback callback, bool withMode) {
    duckdb_scalar_function function = duckdb_create_scalar_function();
    duckdb_scalar_function_set_name(function, f.name);
    duckdb_logical_type date = duckdb_create_logical_type(dateType), integer = duckdb_create_logical_type(DUCKDB_TYPE_INTEGER);
    duckdb_scalar_function_add_parameter(function, date);
    if (f.difference) duckdb_scalar_function_add_parameter(function, date);
    if (withMode) {
        duckdb_logical_type mode = duckdb_create_logical_type(DUCKDB_TYPE_DOUBLE);
        duckdb_scalar_function_add_parameter(function, mode);
        duckdb_destroy_logical_type(&mode);
    }
    duckdb_scalar_function_set_return_type(function, integer);
    duckdb_scalar_function_set_function(function, callback);
    const bool added = duckdb_add_scalar_function_to_set(set, function) == DuckDBSuccess;
    duckdb_destroy_logical_type(&date);
    duckdb_destroy_logical_type(&integer);
    duckdb_destroy_scalar_function(&function);
    return added;
}

bool Register(duckdb_connection connection, const Function& f) {
    duckdb_scalar_function_set set = duckdb_create_scalar_function_set(f.name);
    bool ok = true;
    for (const bool withMode : {false, true}) {
        if (withMode && !f.difference) break;
        ok = ok && AddOverload(set, f, DUCKDB_TYPE_DATE, f.onDates, withMode) &&
             AddOverload(set, f, DUCKDB_TYPE_TIMESTAMP, f.onTimestamps, withMode);
    }
    ok = ok && duckdb_register_scalar_function_set(connection, set) == DuckDBSuccess;
    duckdb_destroy_scalar_function_set(&set);
    return ok;
}

}  // namespace

DUCKDB_EXTENSION_ENTRYPOINT(duckdb_connection connection, duckdb_extension_info info, duckdb_extension_access* access) {
    uint16_t count = 0;
    GetFunctionCount(&count);  // the add-in's handshake, which sets its null date
    for (const Function& f : kFunctions)
        if (!Register(connection, f)) {
            access->set_error(info, "dfa: DuckDB refused to register a function");
            return false;
        }
    return true;
}
