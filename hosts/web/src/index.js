// SPDX-License-Identifier: MIT
// The dfa add-in as a WebAssembly module, loaded the way a spreadsheet host loads it: the module
// is instantiated once, the registration handshake runs (function count, function data,
// parameter descriptions, language), and worksheet functions are then called synchronously with
// doubles passed through pointers into the module's memory.
//
// Nothing the module reports is trusted: counts and types are checked before use, texts are read
// at most 255 bytes long from buffers of 256, entry names must name functions the module
// exports, and every pointer it returns is checked against its memory. The host writes only
// into a scratch area of its own, pages that it adds to the module's memory and that the
// module (which allocates nothing) never hands out.

import {
  DFA_TEXT_BUFFER_SIZE as TEXT_BUFFER_SIZE,
  DFA_MAX_PARAMETERS as MAX_PARAMETERS, // the result pointer and up to three inputs
  DFA_PARAM_DOUBLE_PTR as PARAM_DOUBLE_PTR,
  DFA_VERSION_INFO_COUNT as VERSION_INFO_COUNT,
} from './constants.js';
import * as browserFiles from './read-file.js';
import { printable } from './printable.js';
import { exportSignatures } from './signatures.js';

const MAX_DESCRIPTION = 64 * 1024;
const PAGE = 65536;
const DEFAULT_LANGUAGE = 0x0409;
// A flood of broken entries is summed up rather than listed; names are shown at most this long.
const MAX_LISTED_PROBLEMS = 20;
const NAME_BYTES_SHOWN = 64;

// The scratch area: a result, three inputs, the handshake's 16-bit values, two text buffers, and
// room for every parameter type a 16-bit count can report.
const LAYOUT = { result: 0, inputs: 8, u16a: 32, u16b: 34, text1: 64, text2: 64 + TEXT_BUFFER_SIZE, types: 1024 };
const REGISTRATION = ['GetFunctionCount', 'GetFunctionData', 'GetParameterDescription', 'SetLanguage'];
const SCRATCH_PAGES = Math.ceil((LAYOUT.types + 4 * 65535) / PAGE);
// Types the module did not write.
const UNWRITTEN = -0x80000000;

// A byte-order mark is part of the text: a name that starts with one is not the name without it.
const decoder = new TextDecoder('utf-8', { ignoreBOM: true });
const strictDecoder = new TextDecoder('utf-8', { ignoreBOM: true, fatal: true });

const WASM_MAGIC = [0x00, 0x61, 0x73, 0x6d];

// An entry name as the export it names, or null: no export's name is invalid UTF-8.
function exportName(bytes) {
  try {
    return strictDecoder.decode(bytes);
  } catch {
    return null;
  }
}

// The module and its exports' signatures.
async function compile(bytes, where) {
  const view = bytes instanceof ArrayBuffer ? new Uint8Array(bytes) : new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  if (view.length < 8 || WASM_MAGIC.some((b, i) => view[i] !== b)) throw new Error(`cannot load ${where}: not a WebAssembly module`);
  return [await WebAssembly.compile(view), exportSignatures(view)];
}

async function compileResponse(response, where) {
  if (!response.ok) throw new Error(`cannot load ${where}: HTTP ${response.status}`);
  return compile(await response.arrayBuffer(), where);
}

// Node.js reads local files, through the package's #read-file (its `node` condition). Elsewhere
// there are none: bundlers resolve that import to the file that refuses, and a page or worker
// without a bundler never makes it.
const localFiles = () => (globalThis.process?.versions?.node ? import('#read-file') : browserFiles);

// The module, its exports' signatures (null for a module compiled elsewhere, whose bytes are not
// here) and what to call it in messages.
async function moduleFrom(source) {
  if (source instanceof WebAssembly.Module) return [[source, null], 'the add-in'];
  if (source instanceof ArrayBuffer || ArrayBuffer.isView(source)) return [await compile(source, 'the bytes given'), 'the add-in'];
  if (typeof Response === 'function' && source instanceof Response) {
    const where = source.url || 'the response given';
    return [await compileResponse(source, where), where];
  }
  const files = await localFiles();
  // The literal URL lets bundlers see the module and copy it beside what they build.
  const url = source === undefined ? new URL('./dfa.wasm', import.meta.url) : new URL(String(source), files.baseURL());
  const where = url.href;
  if (url.protocol === 'file:') return [await compile(await files.readLocalFile(url), where), where];
  return [await compileResponse(await fetch(url), where), where];
}

// Loads the add-in: from the dfa.wasm beside this file, or from a URL (a relative one resolved
// against the page, or in Node.js the working directory), a fetch Response, bytes or a compiled
// module. The language is the host's LANGID, announced last.
export async function loadAddin(source, { language = DEFAULT_LANGUAGE } = {}) {
  const [[module, signatures], where] = await moduleFrom(source);
  const needs = WebAssembly.Module.imports(module);
  if (needs.length > 0)
    throw new Error(`${where} imports what a host does not give: ${needs.map((i) => `${i.module}.${i.name}`).join(', ')}`);
  const instance = await WebAssembly.instantiate(module, {});
  return new Addin(instance, signatures, language, where);
}

// How a host calls each export: pointers are i32, and only the metadata returns one.
const POINTERS = (n) => `(${Array(n).fill('i32').join(', ')}) -> ()`;
const EXPECTED = { GetFunctionCount: POINTERS(1), GetFunctionData: POINTERS(5), GetParameterDescription: POINTERS(4),
  SetLanguage: POINTERS(1), _initialize: POINTERS(0), GetVersionInfo: '() -> (i32)', component_getDescriptionFunc: '() -> (i32)' };

class Addin {
  #exports;
  #signatures;
  #memory;
  #scratch;
  #byName = new Map();
  #f64 = null;
  #unreported = 0;

  constructor(instance, signatures, language, where) {
    this.#exports = instance.exports;
    this.#signatures = signatures;
    this.#memory = this.#exports.memory;
    if (!(this.#memory instanceof WebAssembly.Memory)) throw new Error(`${where} exports no memory`);
    const missing = REGISTRATION.find((name) => !this.#export(name));
    if (missing) throw new Error(`${where} does not export ${missing}`);
    const wrong = REGISTRATION.find((name) => this.#mistyped(name, EXPECTED[name]));
    if (wrong) throw new Error(`${where} exports ${wrong} ${this.#mistyped(wrong, EXPECTED[wrong])}`);
    /**
     * One line for each function the add-in registers that a host cannot call, and for each
     * metadata export it cannot call as a host does.
     */
    this.problems = [];
    // A trap, or an exception out of the module, ends the handshake: the add-in is refused.
    for (const name of ['GetVersionInfo', 'component_getDescriptionFunc']) {
      const problem = this.#mistyped(name, EXPECTED[name]);
      if (problem) this.problems.push(`${name} ${problem}`);
    }
    try {
      if (this.#export('_initialize') && !this.#mistyped('_initialize', EXPECTED._initialize)) this.#exports._initialize();
      this.#scratch = this.#memory.grow(SCRATCH_PAGES) * PAGE;
      this.#f64 = new Float64Array(this.#memory.buffer, this.#scratch, 4);
      /** The functions a host can call, in the add-in's order. */
      this.functions = Object.freeze(this.#handshake(language));
    } catch (error) {
      throw new Error(`${where} failed in its handshake: ${error}`, { cause: error });
    }
  }

  #export(name) {
    const fn = this.#exports[name];
    return typeof fn === 'function' ? fn : undefined;
  }

  // Why the export cannot be called with that signature, or null (also where it is not known).
  #mistyped(name, expected) {
    const signature = this.#signatures?.get(name);
    return signature && signature !== expected ? `with the signature ${signature}; a host calls it as ${expected}` : null;
  }

  // Views are made anew for each access: the module may grow its memory, which replaces the buffer.
  #view() {
    return new DataView(this.#memory.buffer);
  }

  #at(offset) {
    return this.#scratch + offset;
  }

  // The bytes of a text the module wrote or points to: up to its terminator, at most max bytes,
  // within memory. Pointers are unsigned: a module's i32 arrives in JavaScript signed.
  #bytes(pointer, max = TEXT_BUFFER_SIZE - 1) {
    const bytes = new Uint8Array(this.#memory.buffer);
    if (!Number.isInteger(pointer)) return null;
    pointer >>>= 0;
    if (pointer === 0 || pointer >= bytes.length) return null;
    const end = Math.min(pointer + max, bytes.length);
    let stop = pointer;
    while (stop < end && bytes[stop] !== 0) ++stop;
    return bytes.slice(pointer, stop);
  }

  #text(pointer, max) {
    const bytes = this.#bytes(pointer, max);
    return bytes && decoder.decode(bytes);
  }

  #handshake(language) {
    const [getCount, getData, getParam, setLanguage] = REGISTRATION.map((name) => this.#export(name));
    const view = () => this.#view();
    view().setUint16(this.#at(LAYOUT.u16a), 0, true);
    getCount(this.#at(LAYOUT.u16a));
    const count = view().getUint16(this.#at(LAYOUT.u16a), true);
    const functions = [];
    for (let i = 0; i < count; ++i) {
      // Fresh inputs for every call: the module gets pointers and need not honour const.
      const v = view();
      v.setUint16(this.#at(LAYOUT.u16a), i, true);
      v.setUint16(this.#at(LAYOUT.u16b), 0, true);
      new Uint8Array(this.#memory.buffer, this.#at(LAYOUT.text1), 2 * TEXT_BUFFER_SIZE).fill(0);
      new Int32Array(this.#memory.buffer, this.#at(LAYOUT.types), MAX_PARAMETERS).fill(UNWRITTEN);
      getData(this.#at(LAYOUT.u16a), this.#at(LAYOUT.text1), this.#at(LAYOUT.u16b), this.#at(LAYOUT.types), this.#at(LAYOUT.text2));
      const paramCount = view().getUint16(this.#at(LAYOUT.u16b), true);
      if (paramCount === 0) continue; // the index names no function
      const entryBytes = this.#bytes(this.#at(LAYOUT.text1));
      const entryName = exportName(entryBytes);
      const nameText = this.#text(this.#at(LAYOUT.text2));
      const problem = this.#check(entryBytes, entryName, paramCount, functions);
      if (problem) {
        this.#reject(`function ${i} ${problem}`);
        continue;
      }
      const parameters = [];
      for (let p = 0; p < paramCount; ++p) {
        const w = view();
        w.setUint16(this.#at(LAYOUT.u16a), i, true);
        w.setUint16(this.#at(LAYOUT.u16b), p, true);
        new Uint8Array(this.#memory.buffer, this.#at(LAYOUT.text1), 2 * TEXT_BUFFER_SIZE).fill(0);
        getParam(this.#at(LAYOUT.u16a), this.#at(LAYOUT.u16b), this.#at(LAYOUT.text1), this.#at(LAYOUT.text2));
        parameters.push(Object.freeze({ name: this.#text(this.#at(LAYOUT.text1)), description: this.#text(this.#at(LAYOUT.text2)) }));
      }
      const info = Object.freeze({ index: i, entryName, nameText, inputs: paramCount - 1, parameters: Object.freeze(parameters) });
      this.#byName.set(entryName, { info, fn: this.#export(entryName) });
      functions.push(info);
    }
    view().setUint16(this.#at(LAYOUT.u16a), language & 0xffff, true);
    setLanguage(this.#at(LAYOUT.u16a));
    return functions;
  }

  // Why a function the module reports cannot be called, or null; the same words as the native hosts.
  #check(entryBytes, entryName, paramCount, functions) {
    if (entryBytes.length === 0) return 'has an empty entry name';
    const what = `'${printable(entryBytes, NAME_BYTES_SHOWN)}'`;
    if (paramCount > MAX_PARAMETERS)
      return `${what} has ${paramCount} parameters; supported are 1 to ${MAX_PARAMETERS}, the result included`;
    const types = new Int32Array(this.#memory.buffer, this.#at(LAYOUT.types), paramCount);
    for (let p = 0; p < paramCount; ++p)
      if (types[p] !== PARAM_DOUBLE_PTR)
        return `${what}: parameter ${p} has type ${types[p] === UNWRITTEN ? '(not written)' : types[p]}; only 0, a pointer to a double, is supported`;
    if (entryName !== null && functions.some((f) => f.entryName === entryName)) return `${what} is registered twice`;
    if (entryName === null || !this.#export(entryName)) return `${what} is not exported by the library`;
    const mistyped = this.#mistyped(entryName, POINTERS(paramCount));
    return mistyped && `${what} is exported ${mistyped}`;
  }

  #reject(problem) {
    if (this.problems.length < MAX_LISTED_PROBLEMS) {
      this.problems.push(problem);
      return;
    }
    ++this.#unreported;
    if (this.#unreported === 1) this.problems.push('');
    this.problems[this.problems.length - 1] = `and ${this.#unreported} more functions that cannot be called`;
  }

  // The scratch area's doubles (result, then the inputs). Growing the memory detaches the buffer
  // under a view, which leaves it empty: it is then made anew.
  #doubles() {
    if (this.#f64.length === 0) this.#f64 = new Float64Array(this.#memory.buffer, this.#scratch, 4);
    return this.#f64;
  }

  /** Calls a worksheet function by its entry name with one number per input; returns the result. */
  call(entryName, ...numbers) {
    return this.bind(entryName)(...numbers);
  }

  /**
   * The worksheet function of that entry name as a JavaScript function of its inputs, for
   * callers that call it often: the name is looked up once.
   */
  bind(entryName) {
    const entry = typeof entryName === 'string' ? this.#byName.get(entryName) : undefined;
    if (!entry) throw new RangeError(`unknown entry name ${JSON.stringify(entryName)}`);
    if (!entry.bound) entry.bound = this.#bound(entry);
    return entry.bound;
  }

  #bound({ info, fn }) {
    const s = this.#scratch, inputs = info.inputs;
    const pointers = Array.from({ length: inputs }, (_, i) => this.#at(LAYOUT.inputs + 8 * i));
    const doubles = () => this.#doubles();
    const fail = (count, args) => {
      if (count !== inputs) return new RangeError(`${info.entryName} takes ${inputs} argument(s), got ${count}`);
      const i = Array.prototype.findIndex.call(args, (x) => typeof x !== 'number');
      return new TypeError(`${info.entryName}: argument ${i + 1} is not a number`);
    };
    // The two shapes of this add-in's functions without an array per call; any other generally.
    if (inputs === 3)
      return function (a, b, c) {
        if (arguments.length !== 3 || typeof a !== 'number' || typeof b !== 'number' || typeof c !== 'number')
          throw fail(arguments.length, arguments);
        const d = doubles();
        d[0] = 0, d[1] = a, d[2] = b, d[3] = c;
        fn(s, pointers[0], pointers[1], pointers[2]);
        return doubles()[0];
      };
    if (inputs === 1)
      return function (a) {
        if (arguments.length !== 1 || typeof a !== 'number') throw fail(arguments.length, arguments);
        const d = doubles();
        d[0] = 0, d[1] = a;
        fn(s, pointers[0]);
        return doubles()[0];
      };
    return (...numbers) => {
      if (numbers.length !== inputs || numbers.some((x) => typeof x !== 'number')) throw fail(numbers.length, numbers);
      const d = doubles();
      d[0] = 0;
      numbers.forEach((x, i) => (d[1 + i] = x));
      fn(s, ...pointers);
      return doubles()[0];
    };
  }

  /** The version record: six strings (null where the module's pointer is), or null. */
  versionInfo() {
    const fn = !this.#mistyped('GetVersionInfo', EXPECTED.GetVersionInfo) && this.#export('GetVersionInfo');
    const pointer = fn ? fn() : 0;
    const record = typeof pointer === 'number' ? pointer >>> 0 : 0; // a module compiled elsewhere is not checked
    
    const bytes = this.#memory.buffer.byteLength;
    if (!record || record + 4 * VERSION_INFO_COUNT > bytes) return null;
    const v = this.#view();
    return Array.from({ length: VERSION_INFO_COUNT }, (_, i) => this.#text(v.getUint32(record + 4 * i, true)));
  }

  /** The component description, or null. */
  description() {
    const fn = !this.#mistyped('component_getDescriptionFunc', EXPECTED.component_getDescriptionFunc) &&
      this.#export('component_getDescriptionFunc');
    const pointer = fn ? fn() : 0;
    return typeof pointer === 'number' ? this.#text(pointer, MAX_DESCRIPTION) : null;
  }
}
