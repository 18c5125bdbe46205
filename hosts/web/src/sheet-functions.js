// SPDX-License-Identifier: MIT
// What the spreadsheet engines' plugins share: an engine's date serials as the add-in's, and what
// a cell computes with the add-in.

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

// What a cell computes, for a date conversion, in the engine's error values (errors.value(message),
// errors.num()): the inputs translated (the third input of a function of three is its mode,
// passed unchanged; every other input is a date), the add-in called, a result that is not finite
// turned into #NUM!. A date that converts to no day (the phantom 29 February 1900, or what an
// engine of another copy hands over) is #VALUE!; a trap or an exception out of the module is
// #VALUE! of this cell alone. Made once per function and conversion.
export function computation(fn, call, errors) {
  const result = (r) => (Number.isFinite(r) ? r : errors.num());
  const noDay = () => errors.value();
  const date = (serial, toAddin) => {
    const day = typeof serial === 'number' ? toAddin(serial) : NaN;
    return Number.isFinite(day) ? day : undefined;
  };
  const guarded = (compute) => (...args) => {
    try {
      return compute(...args);
    } catch (error) {
      return errors.value(`the add-in failed: ${error}`);
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

// The add-in's functions under their entry names in capitals, as engines name functions. A name
// the engine has (taken(name)), one that is not a formula name, or a second one equal in capitals
// to an earlier one is left out, with a line in problems.
export function sheetFunctions(functions, taken, engine) {
  const named = [], problems = [], names = new Set();
  for (const fn of functions) {
    const name = fn.entryName.toUpperCase();
    if (taken(name) || !/^[A-Z][A-Z0-9._]*$/.test(name) || names.has(name)) {
      problems.push(`the add-in's function ${JSON.stringify(fn.entryName)} cannot be ${name} in ${engine}; not registered`);
      continue;
    }
    names.add(name);
    named.push({ fn, name });
  }
  return { named, problems };
}
