// SPDX-License-Identifier: MIT
/** A parameter's texts as the add-in gives them (this add-in's are empty). */
export interface ParameterInfo {
  readonly name: string;
  readonly description: string;
}

/** A function the add-in registers and a host can call. */
export interface FunctionInfo {
  readonly index: number;
  /** The exported name to call it by, e.g. "QvDate_GetDiffMonths". */
  readonly entryName: string;
  readonly nameText: string;
  /** Inputs after the result: 3 (first date, second date, mode) or 1 (date). */
  readonly inputs: number;
  /** [0] describes the function, then each input. */
  readonly parameters: readonly ParameterInfo[];
}

export interface Addin {
  readonly functions: readonly FunctionInfo[];
  /** One line for each function the add-in registers that a host cannot call. */
  readonly problems: readonly string[];
  /**
   * Calls a worksheet function with one number per input: dates as serials (days since
   * 30 December 1899), a difference's mode as 1 (ISO 8601) or anything else. Throws RangeError
   * for an unknown name or a wrong count, TypeError for an argument that is not a number.
   */
  call(entryName: string, ...numbers: number[]): number;
  /** The same function with its name looked up once, for callers that call it often. */
  bind(entryName: string): (...numbers: number[]) => number;
  /** Build time, build date, release number, milestone, build number, output directory. */
  versionInfo(): (string | null)[] | null;
  description(): string | null;
}

/**
 * Instantiates the add-in and runs its registration handshake: from the dfa.wasm beside this
 * module by default, or from a URL (a relative one against the page, or in Node.js the working
 * directory), a fetch Response, the module's bytes, or a compiled module.
 */
export function loadAddin(
  source?: string | URL | Response | ArrayBuffer | ArrayBufferView | WebAssembly.Module,
  options?: { language?: number },
): Promise<Addin>;
