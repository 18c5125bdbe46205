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

const MAX_DESCRIPTION = 64 * 1024;
const PAGE = 65536;
const DEFAULT_LANGUAGE = 0x0409;

// The scratch area: a result, three inputs, the handshake's 16-bit values, two text buffers, and
// room for every parameter type a 16-bit count can report.
const LAYOUT = { result: 0, inputs: 8, u16a: 32, u16b: 34, text1: 64, text2: 64 + TEXT_BUFFER_SIZE, types: 1024 };
const SCRATCH_PAGES = Math.ceil((LAYOUT.types + 4 * 65535) / PAGE);

const decoder = new TextDecoder('utf-8');

async function moduleFrom(source) {
  if (source instanceof WebAssembly.Module) return source;
  if (source instanceof ArrayBuffer || ArrayBuffer.isView(source)) return WebAssembly.compile(source);
  const url = source === undefined ? new URL('./dfa.wasm', import.meta.url) : new URL(String(source), import.meta.url);
  if (url.protocol === 'file:') {
    const { readFile } = await import('node:fs/promises');
    return WebAssembly.compile(await readFile(url));
  }
  const response = await fetch(url);
  if (!response.ok) throw new Error(`cannot load ${url}: HTTP ${response.status}`);
  return WebAssembly.compile(await response.arrayBuffer());
}

// Loads the add-in: from the dfa.wasm beside this file, or from a URL, bytes or a compiled
// module. The language is the host's LANGID, announced last.
export async function loadAddin(source, { language = DEFAULT_LANGUAGE } = {}) {
  const module = await moduleFrom(source);
  const needs = WebAssembly.Module.imports(module);
  if (needs.length > 0)
    throw new Error(`the add-in imports what a host does not give: ${needs.map((i) => `${i.module}.${i.name}`).join(', ')}`);
  const instance = await WebAssembly.instantiate(module, {});
  return new Addin(instance, language);
}

class Addin {
  #exports;
  #memory;
  #scratch;
  #byName = new Map();
  #f64 = null;

  constructor(instance, language) {
    this.#exports = instance.exports;
    this.#memory = this.#exports.memory;
    if (!(this.#memory instanceof WebAssembly.Memory)) throw new Error('the add-in exports no memory');
    if (typeof this.#exports._initialize === 'function') this.#exports._initialize();
    this.#scratch = this.#memory.grow(SCRATCH_PAGES) * PAGE;
    this.#f64 = new Float64Array(this.#memory.buffer, this.#scratch, 4);
    /** One line for each function the add-in registers that a host cannot call. */
    this.problems = [];
    /** The functions a host can call, in the add-in's order. */
    this.functions = Object.freeze(this.#handshake(language));
  }

  #export(name) {
    const fn = this.#exports[name];
    return typeof fn === 'function' ? fn : undefined;
  }

  #registration(name) {
    const fn = this.#export(name);
    if (!fn) throw new Error(`the add-in does not export ${name}`);
    return fn;
  }

  // Views are made anew for each access: the module may grow its memory, which replaces the buffer.
  #view() {
    return new DataView(this.#memory.buffer);
  }

  #at(offset) {
    return this.#scratch + offset;
  }

  // A text the module wrote or points to: up to its terminator, at most max bytes, within memory.
  #text(pointer, max = TEXT_BUFFER_SIZE - 1) {
    const bytes = new Uint8Array(this.#memory.buffer);
    if (!Number.isInteger(pointer) || pointer <= 0 || pointer >= bytes.length) return null;
    const end = Math.min(pointer + max, bytes.length);
    let stop = pointer;
    while (stop < end && bytes[stop] !== 0) ++stop;
    return decoder.decode(bytes.subarray(pointer, stop));
  }

  #handshake(language) {
    const getCount = this.#registration('GetFunctionCount');
    const getData = this.#registration('GetFunctionData');
    const getParam = this.#registration('GetParameterDescription');
    const setLanguage = this.#registration('SetLanguage');
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
      new Int32Array(this.#memory.buffer, this.#at(LAYOUT.types), MAX_PARAMETERS).fill(-1);
      getData(this.#at(LAYOUT.u16a), this.#at(LAYOUT.text1), this.#at(LAYOUT.u16b), this.#at(LAYOUT.types), this.#at(LAYOUT.text2));
      const paramCount = view().getUint16(this.#at(LAYOUT.u16b), true);
      if (paramCount === 0) continue; // the index names no function
      const entryName = this.#text(this.#at(LAYOUT.text1));
      const nameText = this.#text(this.#at(LAYOUT.text2));
      const problem = this.#check(entryName, paramCount, functions);
      if (problem) {
        this.problems.push(`function ${i} ${problem}`);
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

  #check(entryName, paramCount, functions) {
    if (!entryName) return 'has an empty entry name';
    const what = JSON.stringify(entryName);
    if (paramCount > MAX_PARAMETERS)
      return `${what} has ${paramCount} parameters; supported are 1 to ${MAX_PARAMETERS}, the result included`;
    const types = new Int32Array(this.#memory.buffer, this.#at(LAYOUT.types), paramCount);
    for (let p = 0; p < paramCount; ++p)
      if (types[p] !== PARAM_DOUBLE_PTR)
        return `${what}: parameter ${p} has type ${types[p]}; only 0, a pointer to a double, is supported`;
    if (functions.some((f) => f.entryName === entryName)) return `${what} is registered twice`;
    if (!this.#export(entryName)) return `${what} is not exported by the add-in`;
    return null;
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
    const fn = this.#export('GetVersionInfo');
    const record = fn ? fn() : 0;
    const bytes = this.#memory.buffer.byteLength;
    if (!record || record + 4 * VERSION_INFO_COUNT > bytes) return null;
    const v = this.#view();
    return Array.from({ length: VERSION_INFO_COUNT }, (_, i) => this.#text(v.getUint32(record + 4 * i, true)));
  }

  /** The component description, or null. */
  description() {
    const fn = this.#export('component_getDescriptionFunc');
    return fn ? this.#text(fn(), MAX_DESCRIPTION) : null;
  }
}
