// SPDX-License-Identifier: MIT
import type { Addin } from './index.js';

export interface DfaHyperFormulaPlugin {
  /** For HyperFormula.registerFunctionPlugin(plugin, translations). */
  readonly plugin: any;
  readonly translations: Record<string, Record<string, string>>;
  readonly addin: Addin;
  /** Functions of the add-in that could not become HyperFormula functions, and why. */
  readonly problems: readonly string[];
}

export function createHyperFormulaPlugin(options?: {
  /** An add-in already loaded with loadAddin. */
  addin?: Addin;
  /** Where to load the add-in from, as for loadAddin. */
  source?: string | URL | Response | ArrayBuffer | ArrayBufferView | WebAssembly.Module;
  /**
   * The hyperformula module whose engine uses the plugin: window.HyperFormula on a page without
   * a bundler, require('hyperformula') in CommonJS. By default imported as 'hyperformula'.
   */
  hyperformula?: any;
}): Promise<DfaHyperFormulaPlugin>;

/** The engine's serial of a day, in its date system, to the add-in's; undefined for 29 February 1900. */
export function dateConversion(config?: {
  nullDate?: { year: number; month: number; day: number };
  leapYear1900?: boolean;
}): (serial: number) => number | undefined;
