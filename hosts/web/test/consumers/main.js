// What a page's own code does with the package: one cell, its value as the page's title.
import { HyperFormula } from 'hyperformula';
import { createHyperFormulaPlugin } from 'dfa-dates/hyperformula';

const { plugin, translations } = await createHyperFormulaPlugin();
HyperFormula.registerFunctionPlugin(plugin, translations);
const hf = HyperFormula.buildFromArray([['=QVDATE_WEEKSINYEAR(DATE(2026,1,1))']], { licenseKey: 'gpl-v3' });
document.title = String(hf.getCellValue({ sheet: 0, row: 0, col: 0 }));
