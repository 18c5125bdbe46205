/* SPDX-License-Identifier: MIT */
/* A host with functions named like the add-in's exports includes the header's types alone. */
#define DFA_NO_PROTOTYPES
#include "dfa.h"

static int SetLanguage(const char *locale) { return locale[0] == 'C'; }

int main(void) {
    int32_t types[DFA_MAX_PARAMETERS] = {DFA_PARAM_DOUBLE_PTR};
    dfa_SetLanguage_fn setLanguage = 0;
    return SetLanguage("C") && types[0] == 0 && !setLanguage ? 0 : 1;
}
