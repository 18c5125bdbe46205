// A CommonJS program: the engine from require, handed to the plugin.
const hyperformula = require('hyperformula');

(async () => {
  const { createHyperFormulaPlugin } = await import('dfa-dates/hyperformula');
  const { plugin, translations } = await createHyperFormulaPlugin({ hyperformula });
  hyperformula.HyperFormula.registerFunctionPlugin(plugin, translations);
  const hf = hyperformula.HyperFormula.buildFromArray([['=QVDATE_WEEKSINYEAR(DATE(2026,1,1))']], { licenseKey: 'gpl-v3' });
  console.log(hf.getCellValue({ sheet: 0, row: 0, col: 0 }));
})();
