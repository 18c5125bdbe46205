/* SPDX-License-Identifier: MIT */
/* dfa: date-function add-in for spreadsheet hosts.
 *
 * A host loads libdfa.so, resolves these functions by name, calls GetFunctionCount first
 * (it also sets the add-in's null date, 30 December 1899), then GetFunctionData and
 * GetParameterDescription for each index below the count, and SetLanguage. The worksheet
 * functions are then called under the entry names that GetFunctionData reports.
 *
 * Every argument travels through a pointer; nothing is returned except by the two metadata
 * functions. Text buffers are host-owned and at least DFA_TEXT_BUFFER_SIZE bytes.
 *
 * Installed, the add-in lives in a plugin directory of its own: dlopen it by its full path,
 * `pkg-config --variable=addin dfa`. A host that loads it with dlopen needs only the constants
 * and pointer types: defining DFA_NO_PROTOTYPES before including this header leaves out the
 * declarations of the exports, whose plain names may clash with a host's own. */
#ifndef DFA_H
#define DFA_H

#include <stdint.h>

#if defined(DFA_BUILDING_LIBRARY)
#define DFA_API __attribute__((visibility("default")))
#else
#define DFA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define DFA_TEXT_BUFFER_SIZE 256
#define DFA_FUNCTION_COUNT 7
/* The largest parameter count a function reports, the result pointer included: the size of a
 * parameter-type array. */
#define DFA_MAX_PARAMETERS 4
/* The only parameter type: a pointer to a double (the result pointer included). */
#define DFA_PARAM_DOUBLE_PTR 0
/* Entries of the version record: build time, build date, release number, milestone, build
 * number, output-directory name. */
#define DFA_VERSION_INFO_COUNT 6

#ifndef DFA_NO_PROTOTYPES

/* Registration. */
DFA_API void GetFunctionCount(uint16_t *pnCount);
DFA_API void GetFunctionData(const uint16_t *pnIndex, char *pEntryName, uint16_t *pnParamCount,
                             int32_t *pParamTypes, char *pNameText);
DFA_API void GetParameterDescription(const uint16_t *pnIndex, const uint16_t *pnParameter,
                                     char *pName, char *pDescription);
DFA_API void SetLanguage(const uint16_t *pnLanguage);

/* Worksheet functions: dates are serial numbers, days since the null date. The differences
 * floor their dates, the one-date functions truncate them toward zero; mode 1 selects ISO 8601. */
DFA_API void QvDate_GetDiffWeeks(double *pResult, const double *pDate1, const double *pDate2,
                                 const double *pMode);
DFA_API void QvDate_GetDiffMonths(double *pResult, const double *pDate1, const double *pDate2,
                                  const double *pMode);
DFA_API void QvDate_GetDiffYears(double *pResult, const double *pDate1, const double *pDate2,
                                 const double *pMode);
DFA_API void QvDate_IsLeapYear(double *pResult, const double *pDate);
DFA_API void QvDate_DaysInMonth(double *pResult, const double *pDate);
DFA_API void QvDate_DaysInYear(double *pResult, const double *pDate);
DFA_API void QvDate_WeeksInYear(double *pResult, const double *pDate);

/* Component metadata: pointers to constant data that lives as long as the library (the
 * version record has DFA_VERSION_INFO_COUNT strings). */
DFA_API const char *const *GetVersionInfo(void);
DFA_API const char *component_getDescriptionFunc(void);
#endif /* DFA_NO_PROTOTYPES */

/* Pointer types for dlsym results. */
typedef void (*dfa_GetFunctionCount_fn)(uint16_t *);
typedef void (*dfa_GetFunctionData_fn)(const uint16_t *, char *, uint16_t *, int32_t *, char *);
typedef void (*dfa_GetParameterDescription_fn)(const uint16_t *, const uint16_t *, char *, char *);
typedef void (*dfa_SetLanguage_fn)(const uint16_t *);
typedef void (*dfa_DateFunction_fn)(double *, const double *);
typedef void (*dfa_DiffFunction_fn)(double *, const double *, const double *, const double *);
typedef const char *const *(*dfa_GetVersionInfo_fn)(void);
typedef const char *(*dfa_GetDescription_fn)(void);

#ifdef __cplusplus
}
#endif

#endif /* DFA_H */
