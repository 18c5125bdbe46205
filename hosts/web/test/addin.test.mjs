// SPDX-License-Identifier: MIT
// The WebAssembly add-in through the JavaScript host, against the native library (through
// dfa-host, DFA_HOST) bit for bit, and the host's own defences.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { loadAddin } from 'dfa-dates';

const addin = await loadAddin();
const ONE_DATE = ['QvDate_IsLeapYear', 'QvDate_DaysInMonth', 'QvDate_DaysInYear', 'QvDate_WeeksInYear'];
const DIFFS = ['QvDate_GetDiffWeeks', 'QvDate_GetDiffMonths', 'QvDate_GetDiffYears'];

test('the handshake finds the seven functions and the metadata', () => {
  assert.deepEqual(addin.functions.map((f) => [f.entryName, f.inputs]),
    [...DIFFS.map((n) => [n, 3]), ...ONE_DATE.map((n) => [n, 1])]);
  assert.deepEqual(addin.problems, []);
  assert.equal(addin.versionInfo().length, 6);
  assert.match(addin.description(), /^<\?xml version="1.0" encoding="UTF-8"\?>\n[\s\S]*<\/module-description>\n\n$/);
});

test('bad calls are clear errors', () => {
  assert.throws(() => addin.call('QvDate_Nope', 1), RangeError);
  assert.throws(() => addin.call('QvDate_GetDiffWeeks', 1, 2), /takes 3 argument\(s\), got 2/);
  assert.throws(() => addin.call('QvDate_IsLeapYear', '2000'), TypeError);
  assert.throws(() => addin.call(undefined), RangeError);
});

// The same calls through the native library: serials as JavaScript writes them (shortest
// round trip, NaN and Infinity included), results printed with 17 digits.
function native(lines) {
  const run = spawnSync(process.env.DFA_HOST, ['call', '-'], { input: lines.join('\n') + '\n', maxBuffer: 1 << 30 });
  assert.equal(run.status, 0, `${run.error ?? ''} ${run.stderr}`);
  return String(run.stdout).trim().split('\n').map(Number);
}

test('results equal the native library\'s bit for bit', { skip: !process.env.DFA_HOST && 'DFA_HOST names no native dfa-host' }, () => {
  const special = [0, -0, NaN, Infinity, -Infinity, 1e300, -1e300, 0.5, -0.5, 59, 60, 61, 2147483647.5, -2147483648.5,
    23242572, 23242573, -693958, -693959, 37987.5, 2958465];
  let seed = 20261208;
  const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
  const calls = [];
  // Every day of one 400-year cycle for the one-date functions, with a time of day.
  for (let day = 36526; day < 36526 + 146097; ++day) for (const name of ONE_DATE) calls.push([name, day + 0.75]);
  // Random and special pairs for the differences, in both modes and others.
  const serials = [...special, ...Array.from({ length: 20000 }, () => Math.floor(random() * 24700000) - 1400000 + random())];
  serials.forEach((a, i) => {
    const b = i < special.length ? special[(i * 7) % special.length] : serials[Math.floor(random() * serials.length)];
    for (const mode of [0, 1, 1.9, -1, NaN]) for (const name of DIFFS) calls.push([name, a, b, mode], [name, a, a + random() * 800 - 400, mode]);
  });
  const expected = native(calls.map((c) => c.join(' ')));
  let differences = 0;
  calls.forEach((c, i) => {
    const got = addin.call(...c);
    if (!Object.is(got, expected[i]) && ++differences <= 10) assert.fail(`${c.join(' ')}: ${got}, native ${expected[i]}`);
  });
  assert.equal(calls.length, expected.length);
});
