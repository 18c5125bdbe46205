// SPDX-License-Identifier: MIT
// One table of dates for the spreadsheet engines that embed the add-in (HyperFormula,
// Handsontable, Univer): serials, whole and with a time of day, from 1 (60 is the phantom
// 29 February 1900 where it is counted), each row's formulas, and what the add-in itself gives
// for the same days.
const FIXED = [1, 2, 59, 60, 61, 62, 366, 367, 1462, 36525, 36526, 38383, 38411, 46022, 46023, 73051, 2958465];
let seed = 1209;
const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
export const SERIALS = [...FIXED, ...Array.from({ length: 183 }, () => 1 + Math.floor(random() * 2958464) + Math.floor(random() * 10) / 10)];

const FORMULAS = [['GETDIFFWEEKS', 'a,b,1', 'QvDate_GetDiffWeeks'], ['GETDIFFMONTHS', 'a,b,0', 'QvDate_GetDiffMonths'],
  ['GETDIFFYEARS', 'a,b,1.9', 'QvDate_GetDiffYears'], ['ISLEAPYEAR', 'a', 'QvDate_IsLeapYear'],
  ['DAYSINMONTH', 'a', 'QvDate_DaysInMonth'], ['DAYSINYEAR', 'b', 'QvDate_DaysInYear'], ['WEEKSINYEAR', 'a', 'QvDate_WeeksInYear']];

// Row r (from 1): the two dates in A and B, then one formula per function.
export function row(r) {
  const a = SERIALS[r - 1], b = SERIALS[(r * 7 + 3) % SERIALS.length];
  return [a, b, ...FORMULAS.map(([name, args]) => `=QVDATE_${name}(${args.replace('a', `A${r}`).replace('b', `B${r}`)})`)];
}

// What those formulas give, by the add-in; a date on no day is #VALUE!.
export function expected(addin, toAddin, [a, b]) {
  const [x, y] = [toAddin(a), toAddin(b)];
  return FORMULAS.map(([, args, entry]) => {
    const inputs = args.split(',').map((v) => (v === 'a' ? x : v === 'b' ? y : Number(v)));
    return inputs.includes(undefined) ? '#VALUE!' : addin.call(entry, ...inputs);
  });
}

// The cells that differ, one line each.
export function differences(rows, computed, addin, toAddin) {
  const lines = [];
  rows.forEach((cells, r) => {
    const want = expected(addin, toAddin, cells);
    computed[r].slice(2).forEach((got, c) => {
      const value = got && typeof got === 'object' ? got.value : got;
      if (!Object.is(value, want[c])) lines.push(`${cells[c + 2]} with A=${cells[0]}, B=${cells[1]}: ${value}, the add-in ${want[c]}`);
    });
  });
  return lines;
}
