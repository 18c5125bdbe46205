// SPDX-License-Identifier: MIT
// The add-in's column kernels (columns.h) on datetime64[D] day counts, for the ufuncs' loops:
// compiled for each CPU level that pays (DFA_COLUMN_CPU_LEVELS), one chosen once per process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dfa.h"

namespace dfa_python {

using OneDateKernel = void (*)(const int64_t* days, double* out, std::size_t n);
using DifferenceKernel = void (*)(const int64_t* first, const int64_t* second, const double* mode, std::ptrdiff_t modeStride,
                                  double* out, std::size_t n);

// The kernel that computes an export over a column, or null for a function that has none.
OneDateKernel KernelOf(dfa_DateFunction_fn function);
DifferenceKernel KernelOf(dfa_DiffFunction_fn function);

}  // namespace dfa_python
