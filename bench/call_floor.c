/* SPDX-License-Identifier: MIT */
/* The call floor: exported functions shaped like the worksheet functions that do nothing but
 * floor their argument into the result, loaded and called the same way. */
#include <math.h>

__attribute__((visibility("default"))) void CallFloor1(double *pResult, const double *pDate) {
    *pResult = floor(*pDate);
}

__attribute__((visibility("default"))) void CallFloor3(double *pResult, const double *pDate1,
                                                       const double *pDate2, const double *pMode) {
    *pResult = floor(*pDate2) - floor(*pDate1) + floor(*pMode);
}
