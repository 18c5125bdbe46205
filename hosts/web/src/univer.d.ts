// SPDX-License-Identifier: MIT
import type { Addin } from './index.js';

export interface DfaUniverFunctions {
  readonly addin: Addin;
  /** Functions of the add-in that could not become Univer functions, and why. */
  readonly problems: readonly string[];
  /** Unregisters the functions. */
  dispose(): void;
}

/** Registers the add-in's functions with univerAPI.getFormula() (Univer's facade, sheets-formula). */
export function registerUniverFunctions(
  univerAPI: { getFormula(): any },
  options?: {
    /** An add-in already loaded with loadAddin. */
    addin?: Addin;
    /** Where to load the add-in from, as for loadAddin. */
    source?: string | URL | Response | ArrayBuffer | ArrayBufferView | WebAssembly.Module;
  },
): Promise<DfaUniverFunctions>;
