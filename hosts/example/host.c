/* SPDX-License-Identifier: MIT */
/* The smallest host of the dfa add-in: load it, run the registration handshake, list its
 * functions and call one. Build and run, with dfa and dfa-dev installed:
 *   cc host.c $(pkg-config --cflags dfa) -ldl -o host
 *   ./host "$(pkg-config --variable=addin dfa)" */
#define DFA_NO_PROTOTYPES /* the types and constants only: the export names are the add-in's */
#include <dfa.h>
#include <dlfcn.h>
#include <stdio.h>

int main(int argc, char **argv) {
    void *addin = argc > 1 ? dlopen(argv[1], RTLD_NOW | RTLD_LOCAL) : NULL;
    if (!addin) {
        fprintf(stderr, "usage: host PATH-OF-libdfa.so (%s)\n", argc > 1 ? dlerror() : "no path");
        return 2;
    }
    dfa_GetFunctionCount_fn getCount = (dfa_GetFunctionCount_fn)dlsym(addin, "GetFunctionCount");
    dfa_GetFunctionData_fn getData = (dfa_GetFunctionData_fn)dlsym(addin, "GetFunctionData");
    if (!getCount || !getData) {
        fprintf(stderr, "not the dfa add-in: %s\n", argv[1]);
        return 2;
    }
    uint16_t count = 0; /* GetFunctionCount comes first: it also sets the null date */
    getCount(&count);
    for (uint16_t i = 0; i < count; ++i) {
        char entry[DFA_TEXT_BUFFER_SIZE], nameText[DFA_TEXT_BUFFER_SIZE];
        uint16_t params = 0;
        int32_t types[DFA_MAX_PARAMETERS];
        getData(&i, entry, &params, types, nameText);
        if (params > 0 && params <= DFA_MAX_PARAMETERS) printf("%s takes %u parameters\n", entry, params);
    }
    /* 46023 is the serial of 1 January 2026, days since 30 December 1899. */
    dfa_DateFunction_fn weeks = (dfa_DateFunction_fn)dlsym(addin, "QvDate_WeeksInYear");
    double result = 0, date = 46023;
    if (!weeks) return 2;
    weeks(&result, &date);
    printf("ISO weeks in 2026: %g\n", result);
    dlclose(addin);
    return 0;
}
