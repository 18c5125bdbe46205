/* SPDX-License-Identifier: MIT */
/* The public header is plain C: a host written in C includes it as it stands. */
#include "dfa.h"

int main(void) {
    dfa_DateFunction_fn weeksInYear = QvDate_WeeksInYear;
    double result = 0.0, serial = 46023.0; /* 1 January 2026 */
    uint16_t count = 0;
    GetFunctionCount(&count);
    weeksInYear(&result, &serial);
    return count == DFA_FUNCTION_COUNT && result == 53.0 ? 0 : 1;
}
