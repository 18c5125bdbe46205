// SPDX-License-Identifier: MIT
#include "column_loops.h"

#include "columns.h"

namespace dfa_python {
namespace {

using dfa::columns::Difference;
using dfa::columns::kNoResult;
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

// The int32 kernels write a block at a time into a block of their own, in the L1 cache, then
// copy it out, counting the results that are none: written straight to a column, each store
// misses the cache and waits in the store buffer, where the next dates' loads, 4 KiB apart in
// their low address bits, are held behind it (twice the time, wherever the columns' offsets in
// their pages differ). (Plain loops, not lambdas: a lambda is compiled for the baseline, whatever
// level its caller is cloned for.)
constexpr std::size_t kCountBlock = 1024;
[[gnu::always_inline]] inline std::size_t CopiedOut(const int32_t* block, int32_t* out, std::size_t n) {
    std::size_t nNone = 0;
    for (std::size_t i = 0; i < n; ++i) {
        nNone += block[i] == kNoResult;
        out[i] = block[i];
    }
    return nNone;
}

template <OneDate kFunction>
DFA_COLUMN_CPU_LEVELS std::size_t OneDateDays32(const int32_t* days, int32_t* out, std::size_t n) {
    std::size_t nNone = 0;
    alignas(64) int32_t block[kCountBlock];
    for (std::size_t start = 0; start < n; start += kCountBlock) {
        const std::size_t m = n - start < kCountBlock ? n - start : kCountBlock;
        dfa::columns::OneDateColumn<kFunction>(days + start, block, m);
        nNone += CopiedOut(block, out + start, m);
    }
    return nNone;
}

template <Difference kFunction>
DFA_COLUMN_CPU_LEVELS std::size_t DifferenceDays32(const int32_t* first, const int32_t* second, const double* mode,
                                                   std::ptrdiff_t modeStride, int32_t* out, std::size_t n) {
    std::size_t nNone = 0;
    alignas(64) int32_t block[kCountBlock];
    for (std::size_t start = 0; start < n; start += kCountBlock) {
        const std::size_t m = n - start < kCountBlock ? n - start : kCountBlock;
        dfa::columns::DifferenceColumn<kFunction>(first + start, second + start, mode + static_cast<std::ptrdiff_t>(start) * modeStride,
                                                  modeStride, block, m);
        nNone += CopiedOut(block, out + start, m);
    }
    return nNone;
}

// Each kernel's instance, in the order of its enumeration.
template <typename Kernel, typename Function>
Kernel Chosen(Function function, const Kernel* kernels) {
    const auto kernel = dfa::columns::KernelOf(function);
    return kernel ? kernels[static_cast<int>(*kernel)] : nullptr;
}

}  // namespace

OneDateKernel KernelOf(dfa_DateFunction_fn function) {
    static constexpr OneDateKernel kKernels[] = {OneDateDays<OneDate::kIsLeapYear>, OneDateDays<OneDate::kDaysInMonth>,
                                                 OneDateDays<OneDate::kDaysInYear>, OneDateDays<OneDate::kWeeksInYear>};
    return Chosen(function, kKernels);
}

DifferenceKernel KernelOf(dfa_DiffFunction_fn function) {
    static constexpr DifferenceKernel kKernels[] = {DifferenceDays<Difference::kWeeks>, DifferenceDays<Difference::kMonths>,
                                                    DifferenceDays<Difference::kYears>};
    return Chosen(function, kKernels);
}

OneDateKernel32 Kernel32Of(dfa_DateFunction_fn function) {
    static constexpr OneDateKernel32 kKernels[] = {OneDateDays32<OneDate::kIsLeapYear>, OneDateDays32<OneDate::kDaysInMonth>,
                                                   OneDateDays32<OneDate::kDaysInYear>, OneDateDays32<OneDate::kWeeksInYear>};
    return Chosen(function, kKernels);
}

DifferenceKernel32 Kernel32Of(dfa_DiffFunction_fn function) {
    static constexpr DifferenceKernel32 kKernels[] = {DifferenceDays32<Difference::kWeeks>, DifferenceDays32<Difference::kMonths>,
                                                      DifferenceDays32<Difference::kYears>};
    return Chosen(function, kKernels);
}

}  // namespace dfa_python
