// SPDX-License-Identifier: MIT
// The demo page in Debian's Chromium, headless, served from 127.0.0.1: the example workbook's
// table as the page computes it (DFA_DEMO_DIR is the assembled page, DFA_CHROMIUM the browser).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { serving, inPage } from './chromium.mjs';

const root = process.env.DFA_DEMO_DIR;

// What Gnumeric computes for the same workbook (examples/dates.gnumeric): weeks, weeks ISO,
// months, months ISO, years, years ISO; then leap year, days in month and year, ISO weeks.
const DIFFERENCES = [[0, 1, 0, 0, 0, 0], [-1, -1, 0, -1, 0, -1], [2, 2, 0, 0, 0, 0], [4, 4, 0, 1, 0, 0], [-7, -8, -1, -2, 0, 0],
  [52, 53, 11, 12, 0, 1], [0, 0, 0, 1, 0, 1], [1918, 1919, 441, 441, 36, 36]];
const ONE_DATE = [[0, 28, 365, 52], [1, 31, 366, 52], [1, 29, 366, 53], [0, 30, 365, 52], [0, 28, 365, 53], [1, 31, 366, 53], [0, 31, 365, 53]];

test('the page computes the example table in Chromium', { skip: !root && 'DFA_DEMO_DIR names no page', timeout: 120000 }, async () => {
  const dom = await serving(root, (url) => inPage(url, () => document.body.dataset.ready, () => document.documentElement.outerHTML));
  assert.match(dom, /<body data-ready="true">/);
  const cells = (table) => [...dom.split(`id="${table}"`)[1].split('</table>')[0].matchAll(/data-formula="([^"]*)">([^<]*)</g)]
    .map(([, formula, value]) => [formula, value]);
  const expect = (rows, names, args) => rows.flatMap((values, r) => values.map((v, c) => [`=QVDATE_${names[c]}(${args(r + 1, c)})`, String(v)]));
  assert.deepEqual(cells('differences'), expect(DIFFERENCES,
    ['GETDIFFWEEKS', 'GETDIFFWEEKS', 'GETDIFFMONTHS', 'GETDIFFMONTHS', 'GETDIFFYEARS', 'GETDIFFYEARS'], (r, c) => `A${r},B${r},${c % 2}`));
  assert.deepEqual(cells('one-date'), expect(ONE_DATE, ['ISLEAPYEAR', 'DAYSINMONTH', 'DAYSINYEAR', 'WEEKSINYEAR'], (r) => `A${r}`));
  assert.equal(cells('answers').find(([f]) => f === '=QVDATE_GETDIFFMONTHS(A1,B1,1)')[1], '1');  // 2005-01-31 to 2005-02-28
});
