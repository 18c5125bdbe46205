// SPDX-License-Identifier: MIT
// What a cell of the add-in costs in HyperFormula: 100,000 rows of QVDATE_GETDIFFMONTHS against
// the engine's own DATEDIF(..., "M") and a trivial =A1+0, each sheet built and computed five
// times, the fastest counting; and what call() costs from JavaScript against a JavaScript
// function of the same shape. Run from a folder where the dfa package and hyperformula are
// installed (scripts/build-web.sh makes build-web/try).
import { performance } from 'node:perf_hooks';
import { HyperFormula } from 'hyperformula';
import { createHyperFormulaPlugin } from 'dfa-dates/hyperformula';

const ROWS = 100000, RUNS = 5;
const { plugin, translations, addin } = await createHyperFormulaPlugin();
HyperFormula.registerFunctionPlugin(plugin, translations);

let seed = 7;
const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
const pairs = Array.from({ length: ROWS }, () => {
  const a = 1 + Math.floor(random() * 73000), b = a + Math.floor(random() * 3000);
  return [a, b];
});

function fastest(formula) {
  const sheet = pairs.map(([a, b], i) => [a, b, formula(i + 1)]);
  let best = Infinity;
  for (let run = 0; run < RUNS; ++run) {
    const t0 = performance.now();
    const hf = HyperFormula.buildFromArray(sheet, { licenseKey: 'gpl-v3', maxRows: ROWS });
    best = Math.min(best, performance.now() - t0);
    hf.destroy();
  }
  return best;
}

const trivial = fastest((r) => `=A${r}+0`);
const own = fastest((r) => `=DATEDIF(A${r},B${r},"M")`);
const ours = fastest((r) => `=QVDATE_GETDIFFMONTHS(A${r},B${r},0)`);
const perCell = (ms) => ((ms - trivial) * 1000) / ROWS;
console.log(`sheet of ${ROWS} rows (built and computed, fastest of ${RUNS})   ms   µs per cell beyond =A+0`);
console.log(`=A+0                                        ${trivial.toFixed(0).padStart(6)}`);
console.log(`=DATEDIF(A,B,"M")                           ${own.toFixed(0).padStart(6)}   ${perCell(own).toFixed(3)}`);
console.log(`=QVDATE_GETDIFFMONTHS(A,B,0)                ${ours.toFixed(0).padStart(6)}   ${perCell(ours).toFixed(3)}`);
console.log(`a cell of ours costs ${(perCell(ours) / perCell(own)).toFixed(2)} times a DATEDIF cell`);

// call() against a JavaScript function that takes and returns the same numbers.
const months = (a, b, mode) => (mode === 1 ? 1 : 0) + Math.trunc((b - a) / 30.4375);
function perCall(fn) {
  let best = Infinity, sink = 0;
  for (let run = 0; run < RUNS; ++run) {
    const t0 = performance.now();
    for (let i = 0; i < ROWS * 10; ++i) sink += fn(pairs[i % ROWS][0], pairs[i % ROWS][1], 0);
    best = Math.min(best, ((performance.now() - t0) * 1e6) / (ROWS * 10));
  }
  return [best, sink];
}
const [byName] = perCall((a, b, mode) => addin.call('QvDate_GetDiffMonths', a, b, mode));
const [bound] = perCall(addin.bind('QvDate_GetDiffMonths'));
const [js] = perCall(months);
console.log(`ns per call: call('QvDate_GetDiffMonths', a, b, 0) ${byName.toFixed(1)}, bind('QvDate_GetDiffMonths')(a, b, 0) ` +
  `${bound.toFixed(1)}, a JavaScript function of the same shape ${js.toFixed(1)}`);
