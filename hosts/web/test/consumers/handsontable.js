// Handsontable with its formulas from HyperFormula and the add-in's functions registered there,
// in the two 1900 date systems it offers through the engine's configuration. The title says how
// many cells agree with the add-in, or which do not.
import Handsontable from 'handsontable';
import { HyperFormula } from 'hyperformula';
import { createHyperFormulaPlugin, dateConversion } from 'dfa-dates/hyperformula';
import { SERIALS, row, differences } from './sheet-cases.mjs';

const { plugin, translations, addin } = await createHyperFormulaPlugin();
HyperFormula.registerFunctionPlugin(plugin, translations);
const rows = SERIALS.map((_, i) => row(i + 1));
const found = [];
for (const system of [{}, { leapYear1900: true, nullDate: { year: 1899, month: 12, day: 31 } }]) {
  const table = new Handsontable(document.getElementById('table'), {
    data: rows.map((cells) => [...cells]),
    formulas: { engine: { hyperformula: HyperFormula, ...system } },
    licenseKey: 'non-commercial-and-evaluation',
  });
  found.push(...differences(rows, table.getData(), addin, dateConversion(system)));
  table.destroy();
}
document.title = found.length ? found.slice(0, 3).join('; ') : `agree: ${2 * rows.length * 7} cells`;
