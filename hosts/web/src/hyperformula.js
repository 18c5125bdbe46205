// SPDX-License-Identifier: MIT
// The add-in's functions in HyperFormula: every function the add-in reports becomes a function
// of the engine under its entry name in capitals. Arguments go through the engine's own
// handling for numbers (numbers, dates and numeric text converted, empty cells 0, errors passed
// through, other text #VALUE!); dates are translated from the engine's date system, as its
// configuration has it, to the add-in's serials; a result that is not finite is #NUM!.
import { loadAddin } from './index.js';

// Days from 1 January of year 0 to a date of the proleptic Gregorian calendar.
function daysFromCivil(year, month, day) {
  const y = month <= 2 ? year - 1 : year;
  const era = Math.floor(y / 400);
  const yearOfEra = y - era * 400;
  const dayOfYear = Math.floor((153 * (month + (month > 2 ? -3 : 9)) + 2) / 5) + day - 1;
  return era * 146097 + yearOfEra * 365 + Math.floor(yearOfEra / 4) - Math.floor(yearOfEra / 100) + dayOfYear;
}

const ADDIN_NULL_DATE = daysFromCivil(1899, 12, 30);
const LAST_OF_FEBRUARY_1900 = daysFromCivil(1900, 2, 28);

// The engine counts days from its null date; with leapYear1900 it counts a 29 February 1900 that
// never was, so every day after 28 February 1900 is one further on. Returns the add-in's serial
// of the same day and time, or undefined for that phantom day.
export function dateConversion({ nullDate = { year: 1899, month: 12, day: 30 }, leapYear1900 = false } = {}) {
  const countOf = (days) => days + (leapYear1900 && days > LAST_OF_FEBRUARY_1900 ? 1 : 0);
  const start = countOf(daysFromCivil(nullDate.year, nullDate.month, nullDate.day));
  const phantom = LAST_OF_FEBRUARY_1900 + 1; // its place in the engine's count
  return (serial) => {
    const count = serial + start;
    if (!leapYear1900) return count - ADDIN_NULL_DATE;
    const whole = Math.floor(count);
    if (whole === phantom) return undefined;
    return (whole > phantom ? count - 1 : count) - ADDIN_NULL_DATE;
  };
}

// What a cell computes, for a date conversion: the inputs translated (the third input of a
// function of three is its mode, passed unchanged; every other input is a date), the add-in
// called, a result that is not finite turned into #NUM!. A date that converts to no day (the
// phantom 29 February 1900, or what an engine of another copy hands over) is #VALUE!; a trap or
// an exception out of the module is #VALUE! of this cell alone. Made once per function and conversion.
function computation(fn, call, CellError, ErrorType) {
  const result = (r) => (Number.isFinite(r) ? r : new CellError(ErrorType.NUM));
  const noDay = () => new CellError(ErrorType.VALUE);
  const date = (serial, toAddin) => {
    const day = typeof serial === 'number' ? toAddin(serial) : NaN;
    return Number.isFinite(day) ? day : undefined;
  };
  const guarded = (compute) => (...args) => {
    try {
      return compute(...args);
    } catch (error) {
      return new CellError(ErrorType.VALUE, `the add-in failed: ${error}`);
    }
  };
  const made = new WeakMap();
  return (toAddin) => {
    if (made.has(toAddin)) return made.get(toAddin);
    const compute = guarded(fn.inputs === 3
      ? (a, b, mode) => {
          const x = date(a, toAddin), y = date(b, toAddin);
          return x === undefined || y === undefined ? noDay() : result(call(x, y, mode));
        }
      : fn.inputs === 1
      ? (a) => {
          const x = date(a, toAddin);
          return x === undefined ? noDay() : result(call(x));
        }
      : (...args) => {
          const inputs = args.map((a) => date(a, toAddin));
          return inputs.includes(undefined) ? noDay() : result(call(...inputs));
        });
    made.set(toAddin, compute);
    return compute;
  };
}

/**
 * Makes the plugin and its translations for HyperFormula.registerFunctionPlugin. Options: the
 * add-in (already loaded), or a source for loadAddin; the hyperformula module whose engine will
 * use the plugin (by default imported as 'hyperformula': from CommonJS pass require('hyperformula')).
 */
export async function createHyperFormulaPlugin({ addin, source, hyperformula } = {}) {
  const hf = hyperformula ?? (await import('hyperformula'));
  const { FunctionPlugin, FunctionArgumentType, CellError, ErrorType } = hf;
  const HyperFormula = hf.HyperFormula ?? hf;
  const loaded = addin ?? (await loadAddin(source));
  const taken = new Set(HyperFormula.getRegisteredFunctionNames('enGB'));
  // One conversion per engine configuration, made at its first cell.
  const conversions = new WeakMap();
  const conversionFor = (config) => {
    if (!conversions.has(config)) conversions.set(config, dateConversion(config));
    return conversions.get(config);
  };

  // An engine from another copy of HyperFormula (its CommonJS build beside the ES module one)
  // hands over values this copy does not recognise: refused when the engine makes the plugin.
  class DfaPlugin extends FunctionPlugin {
    constructor(interpreter) {
      super(interpreter);
      const builtIn = interpreter?.functionRegistry?.getFunctionPlugin?.('DATE');
      if (builtIn && !(builtIn.prototype instanceof FunctionPlugin))
        throw new Error('dfa-dates: this engine is from another copy of HyperFormula than the plugin; ' +
          'pass that copy: createHyperFormulaPlugin({ hyperformula: require(\'hyperformula\') })');
    }
  }
  DfaPlugin.implementedFunctions = {};
  const translations = { enGB: {} };
  const problems = [];
  for (const fn of loaded.functions) {
    const name = fn.entryName.toUpperCase();
    // The engine's own functions stay the engine's; of two entries equal in capitals, the first.
    const clash = taken.has(name) || !/^[A-Z][A-Z0-9._]*$/.test(name) || Object.hasOwn(DfaPlugin.implementedFunctions, name);
    if (clash) {
      problems.push(`the add-in's function ${JSON.stringify(fn.entryName)} cannot be ${name} in HyperFormula; not registered`);
      continue;
    }
    const method = `dfa${fn.index}`;
    DfaPlugin.implementedFunctions[name] = {
      method,
      parameters: Array.from({ length: fn.inputs }, () => ({ argumentType: FunctionArgumentType.NUMBER })),
    };
    const compute = computation(fn, loaded.bind(fn.entryName), CellError, ErrorType);
    DfaPlugin.prototype[method] = function (ast, state) {
      return this.runFunction(ast.args, state, this.metadata(name), compute(conversionFor(this.config)));
    };
    translations.enGB[name] = name;
  }
  return { plugin: DfaPlugin, translations, addin: loaded, problems };
}
