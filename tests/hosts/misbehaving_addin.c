/* SPDX-License-Identifier: MIT */
/* An add-in that misbehaves on request, for testing that hosts survive it. Without faults it
 * registers Test_Sum3 (three inputs) and Test_Negate (one), and an index that names no function.
 * DFA_TEST_FAULTS lists the faults to show, separated by commas:
 *   many-params         function 0 reports and writes 65535 parameter types
 *   unterminated        every text fills all 256 bytes of its buffer, with no terminator
 *   unterminated-entry  the entry name of function 0 fills all 256 bytes
 *   escapes             every text and the description carry terminal control sequences
 *   escaped-entry       the entry name of function 1 carries one
 *   bom-entry           the entry name of function 1 starts with a byte-order mark
 *   bad-type            parameter 2 of function 0 has type 7
 *   unwritten-type      function 0 reports 4 parameters and writes the types of 3
 *   duplicate           function 1 registers the entry name of function 0
 *   foreign-entry       function 1 registers "abort", which only libc exports
 *   many-functions      65535 functions, all with an unsupported type
 *   builtin-name        function 1 registers "SUM", a spreadsheet's own function
 *   plugin-name         function 0 registers "DATEDIF", a function of one of Gnumeric's plugins
 *   hang, abort         GetFunctionCount never returns, or aborts the process
 *   exit, throw         GetFunctionCount ends the process with status 0, or throws an exception
 *   bad-alloc           GetFunctionCount throws std::bad_alloc, as C++ does when memory runs out
 *   throw-on-1000       Test_Negate throws an exception when its input is 1000 (no first call is)
 *   abort-on-1000       Test_Negate aborts (as WebAssembly: traps) when its input is 1000
 *   case-twin           function 1 registers TEST_SUM3, equal to function 0's name in capitals
 *   wild-version        GetVersionInfo returns a pointer past the end of memory (WebAssembly only)
 *   grandchild          GetFunctionCount starts a process that outlives it (it sleeps a minute)
 *   abort-on-load       the library aborts the process as it is loaded
 *   null-version, null-entries, null-description  the metadata exports return null pointers
 *   wrong-signatures    GetVersionInfo returns a 64-bit integer and Test_Negate takes its input
 *                       by value (WebAssembly only: a C library's symbols have no signatures)
 * Built as WebAssembly, where a module imports nothing and has no environment, the faults are
 * fixed when it is compiled (DFA_TEST_FAULTS defined as a string); the process-level ones leave
 * the process alone, but abort and hang, which trap and loop. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#ifndef __wasm__
#include <unistd.h>
#endif

#define EXPORT __attribute__((visibility("default")))

void Throw(void);         /* misbehaving_throw.cpp */
void ThrowBadAlloc(void);

static int Fault(const char *name) {
#ifdef __wasm__
    const char *faults = DFA_TEST_FAULTS;
#else
    const char *faults = getenv("DFA_TEST_FAULTS");
#endif
    size_t length = strlen(name);
    for (const char *p = faults; p && (p = strstr(p, name)) != NULL; p += length)
        if ((p == faults || p[-1] == ',') && (p[length] == '\0' || p[length] == ',')) return 1;
    return 0;
}

static void Text(char *buffer, const char *text) {
    if (!buffer) return;
    if (Fault("unterminated")) {
        memset(buffer, 'A', 256);
        return;
    }
    if (Fault("escapes")) text = "\x1b]0;retitled\x07\x1b[2J";
    strncpy(buffer, text, 256);
    buffer[255] = '\0';
}

__attribute__((constructor)) static void Load(void) {
    if (Fault("abort-on-load")) abort();
}

EXPORT void GetFunctionCount(uint16_t *count) {
    if (Fault("abort")) abort();
#ifndef __wasm__
    if (Fault("exit")) exit(0);
    if (Fault("throw")) Throw();
    if (Fault("bad-alloc")) ThrowBadAlloc();
    if (Fault("grandchild") && fork() == 0) {
        sleep(60);
        _exit(0);
    }
#endif
    while (Fault("hang")) {
    }
    *count = Fault("many-functions") ? 65535 : 3;
}

EXPORT void GetFunctionData(const uint16_t *index, char *entry, uint16_t *paramCount, int32_t *types,
                            char *nameText) {
    const uint16_t i = *index;
    if (Fault("many-functions")) {
        strcpy(entry, "Test_Sum3");
        *paramCount = 2;
        types[0] = 0;
        types[1] = 9;
        return;
    }
    if (i > 1) { /* names no function */
        *paramCount = 0;
        entry[0] = nameText[0] = '\0';
        return;
    }
    Text(nameText, i == 0 ? "Sum of three" : "Negation");
    strcpy(entry, i == 0 ? "Test_Sum3" : "Test_Negate");
    if (i == 0 && Fault("unterminated-entry")) memset(entry, 'Q', 256);
    if (i == 1 && Fault("escaped-entry")) strcpy(entry, "Test_\x1b]0;retitled\x07");
    if (i == 1 && Fault("duplicate")) strcpy(entry, "Test_Sum3");
    if (i == 1 && Fault("foreign-entry")) strcpy(entry, "abort");
    if (i == 1 && Fault("builtin-name")) strcpy(entry, "SUM");
    if (i == 0 && Fault("plugin-name")) strcpy(entry, "DATEDIF");
    if (i == 1 && Fault("case-twin")) strcpy(entry, "TEST_SUM3");
    if (i == 1 && Fault("bom-entry")) strcpy(entry, "\xEF\xBB\xBFTest_Negate");
    *paramCount = i == 0 ? 4 : 2;
    if (i == 0 && Fault("many-params")) *paramCount = 65535;
    const uint32_t written = i == 0 && Fault("unwritten-type") ? 3 : *paramCount;
    for (uint32_t p = 0; p < written; ++p) types[p] = 0;
    if (i == 0 && Fault("bad-type")) types[2] = 7;
}

EXPORT void GetParameterDescription(const uint16_t *index, const uint16_t *param, char *name, char *description) {
    (void)index;
    Text(name, *param == 0 ? "" : "value");
    Text(description, *param == 0 ? "what the function does" : "a number");
}

EXPORT void SetLanguage(const uint16_t *language) { (void)language; }

EXPORT void Test_Sum3(double *result, const double *a, const double *b, const double *c) { *result = *a + *b + *c; }

#ifdef DFA_WRONG_SIGNATURES
EXPORT void Test_Negate(double *result, double a) { *result = -a; }
#else
EXPORT void Test_Negate(double *result, const double *a) {
#ifndef __wasm__
    if (*a == 1000 && Fault("throw-on-1000")) Throw();
#endif
    if (*a == 1000 && Fault("abort-on-1000")) abort();
    *result = -*a;
}
#endif

EXPORT void SUM(double *result, const double *a) { *result = 1000 + *a; }
EXPORT void DATEDIF(double *result, const double *a) { *result = 3000 + *a; }
EXPORT void TEST_SUM3(double *result, const double *a) { *result = 2000 + *a; }

static const char *const aVersionInfo[6] = {"12:00:00", "Jan  1 2026", "1", "m1", "1", "test"};
static const char *const aNullEntries[6] = {"12:00:00", NULL, "1", NULL, "1", NULL};

#ifdef DFA_WRONG_SIGNATURES
EXPORT int64_t GetVersionInfo(void) { return -4; }
#else
EXPORT const char *const *GetVersionInfo(void) {
    if (Fault("null-version")) return NULL;
#ifdef __wasm__
    if (Fault("wild-version")) return (const char *const *)(uintptr_t)-4;
#endif
    return Fault("null-entries") ? aNullEntries : aVersionInfo;
}
#endif

EXPORT const char *component_getDescriptionFunc(void) {
    return Fault("null-description") ? NULL : "<description>\n\t\x1b[2J</description>\n";
}
