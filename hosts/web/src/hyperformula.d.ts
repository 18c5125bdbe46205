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
  source?: string | URL | ArrayBuffer | ArrayBufferView | WebAssembly.Module;
  /** The hyperformula module, where it cannot be imported by that name (a page without an import map). */
  hyperformula?: any;
}): Promise<DfaHyperFormulaPlugin>;

/** The engine's serial of a day, in its date system, to the add-in's; undefined for 29 February 1900. */
export function dateConversion(config?: {
  nullDate?: { year: number; month: number; day: number };
  leapYear1900?: boolean;
}): (serial: number) => number | undefined;
