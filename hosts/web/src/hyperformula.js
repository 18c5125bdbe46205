// SPDX-License-Identifier: MIT
// The add-in's functions in HyperFormula: every function the add-in reports becomes a function
// of the engine under its entry name in capitals. Arguments go through the engine's own
// handling for numbers (numbers, dates and numeric text converted, empty cells 0, errors passed
// through, other text #VALUE!); dates are translated from the engine's date system, as its
// configuration has it, to the add-in's serials; a result that is not finite is #NUM!.
import { loadAddin } from './index.js';
import { computation, dateConversion, sheetFunctions } from './sheet-functions.js';

export { dateConversion };


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
  const errors = { value: (message) => new CellError(ErrorType.VALUE, message), num: () => new CellError(ErrorType.NUM) };
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
  // The engine's own functions stay the engine's.
  const { named, problems } = sheetFunctions(loaded.functions, (name) => taken.has(name), 'HyperFormula');
  for (const { fn, name } of named) {
    const method = `dfa${fn.index}`;
    DfaPlugin.implementedFunctions[name] = {
      method,
      parameters: Array.from({ length: fn.inputs }, () => ({ argumentType: FunctionArgumentType.NUMBER })),
    };
    const compute = computation(fn, loaded.bind(fn.entryName), errors);
    DfaPlugin.prototype[method] = function (ast, state) {
      return this.runFunction(ast.args, state, this.metadata(name), compute(conversionFor(this.config)));
    };
    translations.enGB[name] = name;
  }
  return { plugin: DfaPlugin, translations, addin: loaded, problems };
}
