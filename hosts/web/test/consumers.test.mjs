// SPDX-License-Identifier: MIT
// The packed package as its users take it (DFA_CONSUMERS_DIR: a folder with it installed beside
// HyperFormula and the bundlers, from consumers/): each bundler with what the README says and
// nothing more, a module worker without one, CommonJS and TypeScript. Each computes
// =QVDATE_WEEKSINYEAR(DATE(2026,1,1)), 53; a page shows it as its title.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { copyFileSync, mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { serving, inPage } from './chromium.mjs';

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
