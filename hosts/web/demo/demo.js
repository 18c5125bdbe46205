// SPDX-License-Identifier: MIT
// The example workbook's table and a pair of dates the reader types, computed by HyperFormula
// with the dfa add-in's functions. When done, body[data-ready] is "true"; every computed cell
// carries its formula in data-formula and shows its value.
import { createHyperFormulaPlugin } from './dfa/hyperformula.js';

const HF = window.HyperFormula;
const { plugin, translations } = await createHyperFormulaPlugin({ hyperformula: HF });
HF.HyperFormula.registerFunctionPlugin(plugin, translations);

const DIFFERENCES = [['2004-01-02', '2004-01-05'], ['2004-01-05', '2003-12-28'], ['2004-01-01', '2004-01-15'],
  ['2005-01-31', '2005-02-28'], ['2005-03-15', '2005-01-20'], ['2004-02-29', '2005-02-28'], ['2004-12-31', '2005-01-01'],
  ['1990-03-01', '2026-12-08']];
const ONE_DATE = ['1900-02-10', '2000-07-01', '2004-02-01', '2014-04-04', '2015-02-02', '2020-12-31', '2026-12-08'];
const DIFF_COLUMNS = [['Weeks', 'GETDIFFWEEKS', 0], ['Weeks ISO', 'GETDIFFWEEKS', 1], ['Months', 'GETDIFFMONTHS', 0],
  ['Months ISO', 'GETDIFFMONTHS', 1], ['Years', 'GETDIFFYEARS', 0], ['Years ISO', 'GETDIFFYEARS', 1]];
const ONE_COLUMNS = [['Leap year', 'ISLEAPYEAR'], ['Days in month', 'DAYSINMONTH'], ['Days in year', 'DAYSINYEAR'],
  ['ISO weeks in year', 'WEEKSINYEAR']];

const dateFormula = (iso) => {
  const [y, m, d] = iso.split('-').map(Number);
  return `=DATE(${y},${m},${d})`;
};
const text = (value) => (value && typeof value === 'object' ? value.value : String(value));

function cell(tag, content, formula) {
  const element = document.createElement(tag);
  element.textContent = content;
  if (formula) element.dataset.formula = formula;
  return element;
}

// A sheet of one row per pair or date: the dates in A (and B), then one formula per column.
function render(table, rows, headers, formulas) {
  const sheet = rows.map((dates, r) => [...dates.map(dateFormula), ...formulas(r + 1)]);
  const hf = HF.HyperFormula.buildFromArray(sheet, { licenseKey: 'gpl-v3' });
  table.replaceChildren();
  const head = table.insertRow();
  headers.forEach((h) => head.append(cell('th', h)));
  rows.forEach((dates, r) => {
    const tr = table.insertRow();
    dates.forEach((iso) => tr.append(cell('td', iso)));
    formulas(r + 1).forEach((formula, c) =>
      tr.append(cell('td', text(hf.getCellValue({ sheet: 0, row: r, col: dates.length + c })), formula)));
  });
}

render(document.getElementById('differences'), DIFFERENCES, ['First date', 'Second date', ...DIFF_COLUMNS.map(([h]) => h)],
  (r) => DIFF_COLUMNS.map(([, f, mode]) => `=QVDATE_${f}(A${r},B${r},${mode})`));
render(document.getElementById('one-date'), ONE_DATE.map((d) => [d]), ['Date', ...ONE_COLUMNS.map(([h]) => h)],
  (r) => ONE_COLUMNS.map(([, f]) => `=QVDATE_${f}(A${r})`));

// Every function on the two dates the reader typed.
const ISO = /^(\d{4})-(\d{2})-(\d{2})$/;
function answer() {
  const first = document.getElementById('first').value.trim(), second = document.getElementById('second').value.trim();
  const body = document.querySelector('#answers tbody');
  body.replaceChildren();
  if (!ISO.test(first) || !ISO.test(second)) {
    body.insertRow().append(cell('td', 'Type both dates as yyyy-mm-dd.'));
    return;
  }
  const formulas = [...DIFF_COLUMNS.map(([, f, mode]) => `=QVDATE_${f}(A1,B1,${mode})`), ...ONE_COLUMNS.map(([, f]) => `=QVDATE_${f}(A1)`)];
  const hf = HF.HyperFormula.buildFromArray([[dateFormula(first), dateFormula(second), ...formulas]], { licenseKey: 'gpl-v3' });
  formulas.forEach((formula, c) => {
    const tr = body.insertRow();
    const shown = formula.replace('A1', 'first').replace('B1', 'second');
    tr.append(cell('td', shown), cell('td', text(hf.getCellValue({ sheet: 0, row: 0, col: 2 + c })), formula));
    tr.cells[0].className = 'formula';
  });
}
document.getElementById('first').addEventListener('input', answer);
document.getElementById('second').addEventListener('input', answer);
answer();
document.body.dataset.ready = 'true';
