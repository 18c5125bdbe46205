// SPDX-License-Identifier: MIT
// The host against the misbehaving add-in built as WebAssembly (DFA_FAULTS_DIR): the registration
// fault table that the native loader's test reads, what it cannot call, and where it reads from.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { execFileSync } from 'node:child_process';
import { Worker } from 'node:worker_threads';
import { mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createRequire } from 'node:module';
import { loadAddin } from 'dfa-dates';
import { createHyperFormulaPlugin } from 'dfa-dates/hyperformula';

const dir = process.env.DFA_FAULTS_DIR;
const skip = !dir && 'DFA_FAULTS_DIR names no folder of faulty modules';
const faulty = (fault) => loadAddin(readFileSync(join(dir ?? '', `${fault}.wasm`)));

test('each row of the fault table gives the native loader\'s problem lines', { skip }, async () => {
  const rows = readFileSync(join(dir ?? '', 'registration_faults.tsv'), 'utf8').split('\n').filter((l) => /^[a-z]/.test(l));
  assert.ok(rows.length >= 10);
  for (const row of rows) {
    const [fault, count, first, last] = row.split('\t');
    const { problems } = await faulty(fault);
    assert.equal(problems.length, Number(count), fault);
    if (problems.length) assert.deepEqual([problems[0], problems.at(-1)], [first, last || first], fault);
  }
});

test('a trap in the handshake refuses the add-in; a wild pointer is no record', { skip }, async () => {
  await assert.rejects(faulty('abort'), /^Error: the add-in failed in its handshake: RuntimeError: unreachable/);
  assert.equal((await faulty('wild-version')).versionInfo(), null);
});

test('an export of another signature is a problem line, never a call', { skip }, async () => {
  const addin = await faulty('wrong-signatures');
  assert.deepEqual(addin.problems, ['GetVersionInfo with the signature () -> (i64); a host calls it as () -> (i32)',
    "function 1 'Test_Negate' is exported with the signature (i32, f64) -> (); a host calls it as (i32, i32) -> ()"]);
  assert.equal(addin.versionInfo(), null);
  assert.deepEqual(addin.functions.map((f) => f.entryName), ['Test_Sum3']);
});

// A handshake that never ends cannot be interrupted on the thread that runs it: a host that must
// not wait runs loadAddin in a worker and gives up on it after a deadline.
test('a looping handshake is left behind in a worker', { skip, timeout: 30000 }, async () => {
  const worker = new Worker(`import('dfa-dates').then(({ loadAddin }) => loadAddin(process.env.MODULE))
      .then(() => require('node:worker_threads').parentPort.postMessage('loaded'))`,
  { eval: true, env: { MODULE: join(dir ?? '', 'hang.wasm') } });
  const outcome = await Promise.race([new Promise((resolve) => worker.once('message', resolve)),
    new Promise((resolve) => setTimeout(resolve, 2000, 'deadline'))]);
  await worker.terminate();
  assert.equal(outcome, 'deadline');
});

test('only a regular file of bounded size is read, and only a WebAssembly module compiled', async () => {
  const fifo = join(mkdtempSync(join(tmpdir(), 'dfa-')), 'fifo');
  execFileSync('mkfifo', [fifo]);
  await assert.rejects(loadAddin('/dev/zero'), { message: 'cannot load file:///dev/zero: not a regular file' });
  await assert.rejects(loadAddin(fifo), /: not a regular file$/);
  await assert.rejects(loadAddin('/no/such.wasm'), { message: 'cannot load file:///no/such.wasm: no such file' });
  const page = new URL('./package.json', import.meta.resolve('dfa-dates'));
  await assert.rejects(loadAddin(page), { message: `cannot load ${page.href}: not a WebAssembly module` });
  await assert.rejects(loadAddin(new Response('<!doctype html>')), /: not a WebAssembly module$/);
  const wasm = readFileSync(new URL('./dfa.wasm', import.meta.resolve('dfa-dates')));
  assert.equal((await loadAddin(new Response(wasm))).functions.length, 7);
});

test('a cell whose call traps is #VALUE!; the rest of the sheet computes and recalculates', { skip }, async () => {
  const { HyperFormula } = await import('hyperformula');
  const { plugin, translations } = await createHyperFormulaPlugin({ addin: await faulty('abort-on-1000') });
  HyperFormula.registerFunctionPlugin(plugin, translations);
  const hf = HyperFormula.buildFromArray([[1000, '=TEST_NEGATE(A1)', 5, '=TEST_NEGATE(C1)', '=C1*2']], { licenseKey: 'gpl-v3' });
  const cell = (col) => hf.getCellValue({ sheet: 0, row: 0, col });
  assert.deepEqual([cell(1).value, cell(3), cell(4)], ['#VALUE!', -5, 10]);
  hf.setCellContents({ sheet: 0, row: 0, col: 2 }, 1000);
  assert.deepEqual([cell(3).value, cell(4)], ['#VALUE!', 2000]);
  HyperFormula.unregisterFunctionPlugin(plugin);
});

test('of two entries equal in capitals, HyperFormula gets the first', { skip }, async () => {
  const { problems } = await createHyperFormulaPlugin({ addin: await faulty('case-twin') });
  assert.deepEqual(problems, ['the add-in\'s function "TEST_SUM3" cannot be TEST_SUM3 in HyperFormula; not registered']);
});

test('an engine from CommonJS: given, it computes; not given, it is refused', async () => {
  const hyperformula = createRequire(import.meta.url)('hyperformula');
  const { HyperFormula } = hyperformula;
  const row = [['=QVDATE_WEEKSINYEAR(DATE(2026,1,1))', '=QVDATE_ISLEAPYEAR(DATE(2024,3,1))',
    '=QVDATE_GETDIFFMONTHS(DATE(2005,1,31),DATE(2005,2,28),1)', '=QVDATE_DAYSINMONTH("abc")']];
  const { plugin, translations } = await createHyperFormulaPlugin({ hyperformula });
  HyperFormula.registerFunctionPlugin(plugin, translations);
  const [[weeks, leap, months, text]] = HyperFormula.buildFromArray(row, { licenseKey: 'gpl-v3' }).getSheetValues(0);
  assert.deepEqual([weeks, leap, months, text.value], [53, 1, 1, '#VALUE!']);
  HyperFormula.unregisterFunctionPlugin(plugin);
  const other = await createHyperFormulaPlugin();
  HyperFormula.registerFunctionPlugin(other.plugin, other.translations);
  assert.throws(() => HyperFormula.buildFromArray(row, { licenseKey: 'gpl-v3' }), /another copy of HyperFormula/);
  HyperFormula.unregisterFunctionPlugin(other.plugin);
});
