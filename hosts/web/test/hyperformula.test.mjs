// SPDX-License-Identifier: MIT
// The add-in's functions in HyperFormula: against the add-in itself on the same days in each
// date configuration, against the engine's own functions where those agree by definition, and
// with the engine's handling of what cells hold.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { HyperFormula } from 'hyperformula';
import { createHyperFormulaPlugin, dateConversion } from 'dfa-dates/hyperformula';
import { SERIALS, row, differences } from './sheet-cases.mjs';

const { plugin, translations, addin, problems } = await createHyperFormulaPlugin();
HyperFormula.registerFunctionPlugin(plugin, translations);
const LICENSE = { licenseKey: 'gpl-v3' };
const values = (rows, config = {}) => HyperFormula.buildFromArray(rows, { ...LICENSE, ...config }).getSheetValues(0);
const error = (value) => value?.value;  // a DetailedCellError's text, e.g. "#VALUE!"

let seed = 1208;
const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
const dates = Array.from({ length: 500 }, () => Math.floor(random() * 73000) + 61 + random() * 0.9);  // 1900-03-01 on

test('every function registers under its name in capitals', () => {
  assert.deepEqual(problems, []);
  for (const f of addin.functions) assert.ok(HyperFormula.getRegisteredFunctionNames('enGB').includes(f.entryName.toUpperCase()));
});

// Each configuration's serials go to the add-in as the days they name; the mode unchanged.
for (const config of [{}, { leapYear1900: true, nullDate: { year: 1899, month: 12, day: 31 } }, { nullDate: { year: 1904, month: 1, day: 1 } }]) {
  test(`cells agree with the add-in on the same days: ${JSON.stringify(config)}`, () => {
    const rows = SERIALS.map((_, i) => row(i + 1));
    assert.deepEqual(differences(rows, values(rows, config), addin, dateConversion(config)), []);
  });
}

test('the engine\'s dates and ours name the same days', () => {
  for (const config of [{}, { leapYear1900: true }, { leapYear1900: true, nullDate: { year: 1899, month: 12, day: 31 } },
    { nullDate: { year: 1904, month: 1, day: 1 } }, { leapYear1900: true, nullDate: { year: 1904, month: 1, day: 1 } }]) {
    const hf = HyperFormula.buildEmpty({ ...LICENSE, ...config });
    const toAddin = dateConversion(config);
    for (let serial = -800; serial < 40000; serial += 7) {
      const { year, month, day } = hf.numberToDate(serial);
      const same = toAddin(serial);
      if (month === 2 && day === 29 && year === 1900) continue;  // the phantom day, checked below
      assert.equal(same, (Date.UTC(year, month - 1, day) - Date.UTC(1899, 11, 30)) / 86400000, `${JSON.stringify(config)} ${serial}`);
    }
  }
});

test('the engine\'s own functions agree where they count the same thing', () => {
  const rows = dates.map((a, i) => {
    const b = dates[(i * 17 + 5) % dates.length];
    const [first, second] = a <= b ? [a, b] : [b, a];
    const r = i + 1;
    return [first, second, `=QVDATE_GETDIFFMONTHS(A${r},B${r},0)`, `=DATEDIF(A${r},B${r},"M")`,
      `=QVDATE_GETDIFFYEARS(A${r},B${r},0)`, `=DATEDIF(A${r},B${r},"Y")`,
      `=QVDATE_DAYSINMONTH(A${r})`, `=DAY(EOMONTH(A${r},0))`,
      `=QVDATE_WEEKSINYEAR(A${r})`, `=ISOWEEKNUM(DATE(YEAR(A${r}),12,28))`];
  });
  values(rows).forEach((row, i) => {
    for (let c = 2; c < row.length; c += 2) assert.equal(row[c], row[c + 1], `row ${i + 1}, ${rows[i][c]} vs ${rows[i][c + 1]}`);
  });
});

test('arguments take the engine\'s handling; the 1900 system\'s phantom day is #VALUE!', () => {
  const [row] = values([[null, 'abc', '38046', '=1/0', '=QVDATE_DAYSINMONTH(A1)', '=QVDATE_DAYSINMONTH(B1)',
    '=QVDATE_DAYSINMONTH(C1)', '=QVDATE_DAYSINMONTH(D1)', '=QVDATE_ISLEAPYEAR(TRUE())']]);
  assert.deepEqual([row[4], error(row[5]), row[6], error(row[7]), row[8]], [31, '#VALUE!', 29, '#DIV/0!', 0]);
  const excel = { leapYear1900: true, nullDate: { year: 1899, month: 12, day: 31 } };
  const [leap] = values([['=QVDATE_DAYSINMONTH(1)', '=QVDATE_DAYSINMONTH(59)', '=QVDATE_DAYSINMONTH(60)', '=QVDATE_DAYSINMONTH(61)',
    '=QVDATE_GETDIFFWEEKS(1,61,1)']], excel);
  assert.deepEqual([leap[0], leap[1], error(leap[2]), leap[3], leap[4]], [31, 28, '#VALUE!', 31, 8]);
});

// The typed table (DFA_TYPED_TABLE) where a cell can hold its values: dates and timestamps of the
// 1900 date system as DATE()+TIME(), modes as numbers. A cell has no zone, null or NaN, and a
// sheet's difference takes its mode (the add-in declares three arguments): those rows are other
// engines'.
test('the typed table\'s dates, timestamps and modes', { skip: !process.env.DFA_TYPED_TABLE && 'DFA_TYPED_TABLE names no table' }, () => {
  const cell = (field) => {
    const [, y, m, d, h = 0, mi = 0, s = 0] = field.match(/^(?:date|timestamp):(\d{4})-(\d\d)-(\d\d)(?:T(\d\d):(\d\d):([\d.]+))?$/) ?? [];
    return y >= 1900 ? `DATE(${+y},${+m},${+d})+(${+h}*3600+${+mi}*60+${+s})/86400` : null;
  };
  const rows = readFileSync(process.env.DFA_TYPED_TABLE, 'utf8').trim().split('\n').slice(1).map((line) => line.split(','))
    .filter(([, , first, second, mode]) => cell(first) && (!second || (cell(second) && !['', 'NaN', 'NULL'].includes(mode))));
  assert.ok(rows.length >= 8);
  const formulas = rows.map(([fn, , first, second, mode]) =>
    [`=${fn.toUpperCase()}(${[cell(first), second && cell(second), mode].filter(Boolean).join(',')})`]);
  values(formulas).forEach(([got], i) => assert.equal(String(got), rows[i][5], formulas[i][0]));
});
