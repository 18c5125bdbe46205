// SPDX-License-Identifier: MIT
// The add-in's functions in Univer, through its formula API: every function the add-in reports
// becomes a function of the workbook under its entry name in capitals. Univer counts dates as the
// 1900 date system does (1 is 1 January 1900, 60 the 29 February 1900 that never was): they are
// translated to the add-in's serials as HyperFormula's are in that system.
import { loadAddin } from './index.js';
import { computation, dateConversion, sheetFunctions } from './sheet-functions.js';

const toAddin = dateConversion({ leapYear1900: true, nullDate: { year: 1899, month: 12, day: 31 } });
const ERRORS = new Set(['#NULL!', '#DIV/0!', '#VALUE!', '#REF!', '#NAME?', '#NUM!', '#N/A', '#SPILL!', '#CALC!']);

// An argument as a number, as Univer's own functions take one: a number (a date is one), numeric
// text, a single cell's value, an empty cell 0, a logical value 1 or 0; an error is passed
// through; anything else (other text, a range of several cells) is #VALUE!.
function argument(value) {
  if (Array.isArray(value)) value = value.length === 1 && value[0]?.length === 1 ? value[0][0] : undefined;
  if (typeof value === 'number') return value;
  if (value === null) return 0;
  if (typeof value === 'boolean') return value ? 1 : 0;
  if (typeof value === 'string') {
    if (ERRORS.has(value)) return { error: value };
    const number = value.trim() === '' ? NaN : Number(value);
    if (Number.isFinite(number)) return number;
  }
  return { error: '#VALUE!' };
}

/**
 * Registers the add-in's functions with the formula engine of univerAPI (Univer's facade, with
 * the sheets-formula plugin). Options: the add-in (already loaded), or a source for loadAddin.
 * Returns the add-in, the functions that could not be registered and why, and dispose(), which
 * unregisters them.
 */
export async function registerUniverFunctions(univerAPI, { addin, source } = {}) {
  const formula = univerAPI.getFormula();
  const loaded = addin ?? (await loadAddin(source));
  // Univer's own functions stay Univer's (its function service is the only place that lists them).
  const taken = (name) => Boolean(formula._functionService?.hasExecutor?.(name));
  const { named, problems } = sheetFunctions(loaded.functions, taken, 'Univer');
  const errors = { value: () => '#VALUE!', num: () => '#NUM!' };
  const registered = named.map(({ fn, name }) => {
    const compute = computation(fn, loaded.bind(fn.entryName), errors)(toAddin);
    return formula.registerFunction(name, (...args) => {
      if (args.length !== fn.inputs) return '#N/A';
      const numbers = args.map(argument);
      const error = numbers.find((n) => typeof n === 'object');
      return error ? error.error : compute(...numbers);
    }, fn.parameters[0]?.description || fn.nameText);
  });
  return { addin: loaded, problems, dispose: () => registered.forEach((r) => r.dispose()) };
}
