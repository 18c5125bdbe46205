// SPDX-License-Identifier: MIT
// The add-in's column kernels (columns.h) on datetime64[D] day counts, for the ufuncs' loops,
// and on int32 ones (Arrow's date32, Polars' Date) with int32 results: compiled for each CPU
// level that pays (DFA_COLUMN_CPU_LEVELS), one chosen once per process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dfa.h"

namespace dfa_python {

using OneDateKernel = void (*)(const int64_t* days, double* out, std::size_t n);
using DifferenceKernel = void (*)(const int64_t* first, const int64_t* second, const double* mode, std::ptrdiff_t modeStride,
                                  double* out, std::size_t n);

// The int32 kernels write kNoResult (columns.h) where there is no result, and return how many
// they wrote.
using OneDateKernel32 = std::size_t (*)(const int32_t* days, int32_t* out, std::size_t n);
using DifferenceKernel32 = std::size_t (*)(const int32_t* first, const int32_t* second, const double* mode,
                                           std::ptrdiff_t modeStride, int32_t* out, std::size_t n);

// The kernel that computes an export over a column, or null for a function that has none.
OneDateKernel KernelOf(dfa_DateFunction_fn function);
DifferenceKernel KernelOf(dfa_DiffFunction_fn function);
OneDateKernel32 Kernel32Of(dfa_DateFunction_fn function);
DifferenceKernel32 Kernel32Of(dfa_DiffFunction_fn function);

}  // namespace dfa_python
