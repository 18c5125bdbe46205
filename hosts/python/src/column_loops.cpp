// SPDX-License-Identifier: MIT
#include "column_loops.h"

#include "columns.h"

namespace dfa_python {
namespace {

using dfa::columns::Difference;
using dfa::columns::OneDate;

template <OneDate kFunction>
DFA_COLUMN_CPU_LEVELS void OneDateDays(const int64_t* days, double* out, std::size_t n) {
    dfa::columns::OneDateColumn<kFunction>(days, out, n);
}

template <Difference kFunction>
DFA_COLUMN_CPU_LEVELS void DifferenceDays(const int64_t* first, const int64_t* second, const double* mode, std::ptrdiff_t modeStride,
                                   double* out, std::size_t n) {
    dfa::columns::DifferenceColumn<kFunction>(first, second, mode, modeStride, out, n);
}

}  // namespace

// Each kernel's instance, in the order of its enumeration.
OneDateKernel KernelOf(dfa_DateFunction_fn function) {
    static constexpr OneDateKernel kKernels[] = {OneDateDays<OneDate::kIsLeapYear>, OneDateDays<OneDate::kDaysInMonth>,
                                                 OneDateDays<OneDate::kDaysInYear>, OneDateDays<OneDate::kWeeksInYear>};
    const auto kernel = dfa::columns::KernelOf(function);
    return kernel ? kKernels[static_cast<int>(*kernel)] : nullptr;
}

DifferenceKernel KernelOf(dfa_DiffFunction_fn function) {
    static constexpr DifferenceKernel kKernels[] = {DifferenceDays<Difference::kWeeks>, DifferenceDays<Difference::kMonths>,
                                                    DifferenceDays<Difference::kYears>};
    const auto kernel = dfa::columns::KernelOf(function);
    return kernel ? kKernels[static_cast<int>(*kernel)] : nullptr;
}

}  // namespace dfa_python
