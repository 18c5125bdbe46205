// SPDX-License-Identifier: MIT
// The packed package as its users take it (DFA_CONSUMERS_DIR: a folder with it installed beside
// HyperFormula and the bundlers, from consumers/): each bundler with what the README says and
// nothing more, a module worker without one, CommonJS and TypeScript, each computing
// =QVDATE_WEEKSINYEAR(DATE(2026,1,1)), 53 (a page shows it as its title); and the spreadsheets
// that embed it, Handsontable in Chromium and Univer in Node.js, on one table of dates.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { copyFileSync, mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { createRequire } from 'node:module';
import { serving, inPage } from './chromium.mjs';
import { dateConversion } from 'dfa-dates/hyperformula';
import { SERIALS, row, differences } from './sheet-cases.mjs';

const dir = process.env.DFA_CONSUMERS_DIR;
const options = { skip: !dir && 'DFA_CONSUMERS_DIR names no folder of consumers', timeout: 180000 };
const run = (command, ...args) => execFileSync(command, args, { cwd: dir, encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
const npx = (...args) => run('npx', '--no-install', ...args);
const title = (page) => serving(dir, (url) => inPage(url + page, () => document.title !== 'not computed', () => document.title));
const page = (folder, script) =>
  writeFileSync(join(dir, folder, 'index.html'), `<!doctype html>\n<meta charset="utf-8">\n<title>not computed</title>\n<script ${script}></script>\n`);

test('esbuild: bundled, with dfa.wasm copied beside the bundle', options, async () => {
  npx('esbuild', 'main.js', '--bundle', '--format=esm', '--outdir=esbuild', '--log-level=warning');
  copyFileSync(join(dir, 'node_modules/dfa-dates/dfa.wasm'), join(dir, 'esbuild/dfa.wasm'));
  page('esbuild', 'type="module" src="main.js"');
  assert.equal(await title('esbuild/'), '53');
});

test('webpack: no configuration file, no warning but the size of HyperFormula', options, async () => {
  mkdirSync(join(dir, 'src'), { recursive: true });
  copyFileSync(join(dir, 'main.js'), join(dir, 'src/index.js'));
  const log = npx('webpack', '--mode', 'production', '--no-color');
  const warnings = log.split('\n').filter((line) => /^WARNING/.test(line) && !/size limit|performance/.test(line));
  assert.deepEqual(warnings, []);
  page('dist', 'src="main.js"');
  assert.equal(await title('dist/'), '53');
});

test('Vite: built for a page in a folder of its own (--base ./)', options, async () => {
  npx('vite', 'build', '--outDir', 'vite', '--base', './', '--logLevel', 'warn');
  assert.equal(await title('vite/'), '53');
});

test('Vite: its development server, which prebundles dependencies', options, async () => {
  const port = await new Promise((resolve) => {
    const probe = createServer().listen(0, '127.0.0.1', () => {
      const { port: free } = probe.address();
      probe.close(() => resolve(free));
    });
  });
  const server = spawn('npx', ['--no-install', 'vite', '--host', '127.0.0.1', '--port', String(port), '--strictPort'],
    { cwd: dir, stdio: ['ignore', 'pipe', 'inherit'], detached: true });
  try {
    await new Promise((resolve) => server.stdout.on('data', (d) => String(d).includes(String(port)) && resolve()));
    assert.equal(await inPage(`http://127.0.0.1:${port}/`, () => document.title !== 'not computed', () => document.title), '53');
  } finally {
    process.kill(-server.pid);
  }
});

test('a module worker, without a bundler', options, async () => {
  assert.equal(await title('worker.html'), '53');
});

test('CommonJS, the engine handed over', options, () => {
  assert.equal(run('node', 'consumer.cjs').trim(), '53');
});

test('TypeScript, strict, with Node.js\'s and bundlers\' resolution', options, () => {
  npx('tsc', '--strict', '--noEmit', '--target', 'es2022', '--module', 'nodenext', 'consumer.ts');
  npx('tsc', '--strict', '--noEmit', '--target', 'es2022', '--module', 'esnext', '--moduleResolution', 'bundler', 'consumer.ts');
});

test('Handsontable: both of its 1900 date systems agree with the add-in', options, async () => {
  npx('esbuild', 'handsontable.js', '--bundle', '--format=esm', '--outdir=handsontable', '--log-level=error');
  copyFileSync(join(dir, 'node_modules/dfa-dates/dfa.wasm'), join(dir, 'handsontable/dfa.wasm'));
  writeFileSync(join(dir, 'handsontable/index.html'), '<!doctype html>\n<meta charset="utf-8">\n<title>not computed</title>\n' +
    '<div id="table"></div>\n<script type="module" src="handsontable.js"></script>\n');
  assert.match(await title('handsontable/'), /^agree: \d+ cells$/);
});

// Univer headless, as its Node.js guide has it; its CommonJS build, as its ES modules do not load in Node.js 20.
test('Univer: its date system agrees with the add-in; arguments as its own functions take them', options, async () => {
  const require = createRequire(join(dir, 'package.json'));
  const { Univer, UniverInstanceType, LocaleType, mergeLocales } = require('@univerjs/core');
  const { FUniver } = require('@univerjs/core/facade');
  for (const facade of ['@univerjs/sheets/facade', '@univerjs/engine-formula/facade', '@univerjs/sheets-formula/facade']) require(facade);
  const univer = new Univer({ locale: LocaleType.EN_US, locales: { [LocaleType.EN_US]: mergeLocales(
    require('@univerjs/sheets/locale/en-US'), require('@univerjs/sheets-formula/locale/en-US')) } });
  univer.registerPlugin(require('@univerjs/engine-formula').UniverFormulaEnginePlugin);
  univer.registerPlugin(require('@univerjs/sheets').UniverSheetsPlugin);
  univer.registerPlugin(require('@univerjs/sheets-formula').UniverSheetsFormulaPlugin);

  const rows = SERIALS.map((_, i) => row(i + 1));
  const cellData = Object.fromEntries(rows.map((cells, r) =>
    [r, Object.fromEntries(cells.map((v, c) => [c, typeof v === 'string' ? { f: v } : { v }]))]));
  const n = rows.length;
  cellData[n] = Object.fromEntries(['"abc"', '1/0', `K${n + 1}`, '60', 'TRUE'].map((arg, c) => [c, { f: `=QVDATE_DAYSINMONTH(${arg})` }]));
  cellData[n][5] = { f: '=QVDATE_GETDIFFWEEKS(1)' };
  univer.createUnit(UniverInstanceType.UNIVER_SHEET, { id: 'book', sheetOrder: ['s'],
    sheets: { s: { id: 's', name: 'Dates', rowCount: n + 1, columnCount: 11, cellData } } });
  const api = FUniver.newAPI(univer);
  const { registerUniverFunctions } = await import('dfa-dates/univer');
  const { addin, problems } = await registerUniverFunctions(api);
  assert.deepEqual(problems, []);
  const formula = api.getFormula();
  formula.executeCalculation();
  await formula.onCalculationEnd();
  const sheet = api.getActiveWorkbook().getActiveSheet();
  const system1900 = dateConversion({ leapYear1900: true, nullDate: { year: 1899, month: 12, day: 31 } });
  assert.deepEqual(differences(rows, sheet.getRange(0, 0, n, 9).getValues(), addin, system1900), []);
  // Text, an error, an empty cell (31 December 1899), the phantom day, a logical value, too few arguments.
  assert.deepEqual(sheet.getRange(n, 0, 1, 6).getValues()[0], ['#VALUE!', '#DIV/0!', 31, '#VALUE!', 31, '#N/A']);
  univer.dispose();
});
