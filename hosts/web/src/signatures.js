// SPDX-License-Identifier: MIT
// The signatures of a WebAssembly module's exported functions, read from its binary (JavaScript
// cannot ask a compiled module for them): export name -> '(i32, i32) -> ()'. Null where the
// bytes hold what this reader does not know (the engine has compiled them, so they are valid).

const VALUE_TYPES = { 0x7f: 'i32', 0x7e: 'i64', 0x7d: 'f32', 0x7c: 'f64', 0x7b: 'v128', 0x70: 'funcref', 0x6f: 'externref' };

class Reader {
  constructor(bytes, at = 0, end = bytes.length) {
    Object.assign(this, { bytes, at, end });
  }

  byte() {
    if (this.at >= this.end) throw new RangeError('past the end');
    return this.bytes[this.at++];
  }

  // An unsigned LEB128 of at most 32 bits.
  u32() {
    let value = 0;
    for (let shift = 0; shift < 35; shift += 7) {
      const b = this.byte();
      value += (b & 0x7f) * 2 ** shift;
      if (!(b & 0x80)) return value;
    }
    throw new RangeError('malformed number');
  }

  vector(read) {
    return Array.from({ length: this.u32() }, () => read());
  }

  name() {
    const length = this.u32();
    const start = this.at;
    this.at += length;
    if (this.at > this.end) throw new RangeError('past the end');
    return new TextDecoder('utf-8', { ignoreBOM: true }).decode(this.bytes.subarray(start, this.at));
  }

  valueType() {
    const type = VALUE_TYPES[this.byte()];
    if (!type) throw new RangeError('unknown value type');
    return type;
  }
}

export function exportSignatures(bytes) {
  try {
    const module = new Reader(bytes, 8);
    let types = [], functions = [], exports = [];
    while (module.at < module.end) {
      const id = module.byte();
      const size = module.u32();
      const section = new Reader(bytes, module.at, module.at + size);
      module.at += size;
      if (id === 1) {
        types = section.vector(() => {
          if (section.byte() !== 0x60) throw new RangeError('not a function type');
          const params = section.vector(() => section.valueType()), results = section.vector(() => section.valueType());
          return `(${params.join(', ')}) -> (${results.join(', ')})`;
        });
      } else if (id === 2) {
        if (section.u32() !== 0) return null; // imported functions would shift the indexes
      } else if (id === 3) {
        functions = section.vector(() => section.u32());
      } else if (id === 7) {
        exports = section.vector(() => ({ name: section.name(), kind: section.byte(), index: section.u32() }));
      }
    }
    const signatures = new Map();
    for (const { name, kind, index } of exports)
      if (kind === 0 && index < functions.length && functions[index] < types.length) signatures.set(name, types[functions[index]]);
    return signatures;
  } catch {
    return null;
  }
}
