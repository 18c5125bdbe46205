// SPDX-License-Identifier: MIT
// The DuckDB extension in DuckDB itself: refused unsigned, then the case table that every
// engine's host runs (DFA_CASE_TABLE) with DATE and TIMESTAMP arguments, the typed table, and
// 100,000 rows of dates across the whole calendar against the add-in itself (dfa-host,
// DFA_HOST), bit for bit. case_table.py runs the case table in the other DuckDB versions.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { spawnSync } from 'node:child_process';
import { DuckDBInstance } from '@duckdb/node-api';

const EXTENSION = process.env.DFA_DUCKDB_EXTENSION;
const connect = async (config = { allow_unsigned_extensions: 'true' }) => (await DuckDBInstance.create(':memory:', config)).connect();
const db = await connect();
await db.run(`LOAD '${EXTENSION}'`);
const rows = async (sql) => (await db.runAndReadAll(sql)).getRows();

test('an unsigned extension is refused unless allow_unsigned_extensions is set', async () => {
  const plain = await connect({});
  await assert.rejects(plain.run(`LOAD '${EXTENSION}'`), /allow_unsigned_extensions/);
});

// A date of the table as DuckDB SQL: make_date counts years as the table does (0 is 1 BC).
function dateSql(field, type) {
  if (field === 'NULL') return `NULL::${type}`;
  if (field === 'infinity' || field === '-infinity') return `'${field}'::${type}`;
  const [, y, m, d] = field.match(/^(-?\d+)-(\d\d)-(\d\d)$/);
  // A time of day, which a timestamp's day does not depend on.
  return type === 'DATE' ? `make_date(${+y}, ${+m}, ${+d})` : `make_timestamp(${+y}, ${+m}, ${+d}, 23, 59, 59.5)`;
}

test('the case table, with DATE and with TIMESTAMP arguments', async () => {
  const table = readFileSync(process.env.DFA_CASE_TABLE, 'utf8').trim().split('\n').slice(1).map((line) => line.split(','));
  const cases = table.filter((row) => !row.join().includes('text:'));
  assert.ok(cases.length > 200);
  for (const type of ['DATE', 'TIMESTAMP']) {
    for (const [fn, first, second, mode, result] of cases) {
      const args = [dateSql(first, type)];
      if (second) args.push(dateSql(second, type));
      if (mode) args.push(mode === 'NULL' ? 'NULL::DOUBLE' : `${mode}::DOUBLE`);
      const [[got]] = await rows(`SELECT ${fn}(${args.join(', ')})`);
      assert.equal(got === null ? 'NULL' : String(got), result, `${fn}(${args.join(', ')})`);
    }
  }
});

// The add-in's functions as dfa-host lists them: lower-case name and argument count (a difference
// also without its mode).
function addinRegistrations() {
  const list = String(spawnSync(process.env.DFA_HOST, ['list']).stdout);
  return [...list.matchAll(/^\d+ (\S+) +parameters: (\d+)/gm)].flatMap(([, name, parameters]) =>
    (parameters === '4' ? [3, 2] : [parameters - 1]).map((n) => `${name.toLowerCase()}/${n}`)).sort();
}

test('DuckDB registers the add-in\'s functions', { skip: !process.env.DFA_HOST && 'DFA_HOST names no dfa-host' }, async () => {
  const registered = await rows(`SELECT DISTINCT lower(function_name) || '/' || len(parameters) FROM duckdb_functions()
    WHERE lower(function_name) LIKE 'qvdate%' ORDER BY 1`);
  assert.deepEqual(registered.map(([r]) => r), addinRegistrations());
});

// The typed table (DFA_TYPED_TABLE), every row: DATE and TIMESTAMP as DuckDB reads them; a
// TIMESTAMPTZ is refused by DuckDB's binder (its day is the session's TimeZone's, which x::DATE
// names), and so is text, which could be either (x::DATE names it).
test('the typed table', async () => {
  const table = readFileSync(process.env.DFA_TYPED_TABLE, 'utf8').trim().split('\n').slice(1).map((line) => line.split(','));
  const value = (field, other) => {
    if (field === 'null') return `NULL::${other && other !== 'null' && !other.startsWith('text:') ? other.split(':')[0] : 'date'}`;
    const [type, literal] = [field.slice(0, field.indexOf(':')), field.slice(field.indexOf(':') + 1)];
    return type === 'text' ? `'${literal}'` : `${type.toUpperCase()} '${literal}'`;
  };
  let ran = 0;
  for (const [fn, , first, second, mode, result] of table) {
    const args = [value(first, second)];
    if (second) args.push(value(second, first));
    if (mode) args.push(mode === 'NULL' ? 'NULL::DOUBLE' : `'${mode}'::DOUBLE`);
    const sql = `SELECT ${fn}(${args.join(', ')})`;
    if ([first, second].some((field) => /^(timestamptz|text):/.test(field))) {
      await assert.rejects(rows(sql), /No function matches|Could not choose a best candidate/, sql);
    } else {
      const [[got]] = await rows(sql);
      assert.equal(got === null ? 'NULL' : String(got), result, sql);
    }
    ++ran;
  }
  assert.equal(ran, table.length);
});

// dfa-host's ISO date of a day since 1970-01-01: years of 4 digits, or 5.
const iso = (days) => new Date(days * 86400000).toISOString().slice(0, -14).replace(/^\+0/, '');

test('100,000 rows across the calendar agree with the add-in', { skip: !process.env.DFA_HOST && 'DFA_HOST names no dfa-host' }, async () => {
  // Days of the add-in's calendar, 0000-01-01 to 65535-12-31, half of them within 1900..2100; second dates near or anywhere.
  const [[first, span]] = await rows(`SELECT DATE '0000-01-01' - DATE '1970-01-01', DATE '65535-12-31' - DATE '0000-01-01' + 1`);
  await db.run(`CREATE TABLE t AS
    WITH r AS (SELECT range AS i, random() AS u, random() AS v, random() AS w FROM range(100000))
    SELECT i, CAST(CASE WHEN i % 2 = 0 THEN -25567 + floor(u * 73049) ELSE ${first} + floor(u * ${span}) END AS INTEGER) AS a,
           CAST(CASE WHEN i % 3 = 0 THEN ${first} + floor(v * ${span}) ELSE 0 END AS INTEGER) AS far,
           CAST(floor(w * 801) - 400 AS INTEGER) AS near FROM r`);
  await db.run(`CREATE TABLE d AS SELECT i, DATE '1970-01-01' + a AS a,
    DATE '1970-01-01' + CASE WHEN far <> 0 THEN far ELSE least(greatest(a + near, ${first}), ${first} + ${span} - 1) END AS b FROM t`);
  const ONE = ['QvDate_IsLeapYear', 'QvDate_DaysInMonth', 'QvDate_DaysInYear', 'QvDate_WeeksInYear'];
  const DIFFS = ['QvDate_GetDiffWeeks', 'QvDate_GetDiffMonths', 'QvDate_GetDiffYears'];
  const calls = [...ONE.map((f) => [f, 'a']), ...DIFFS.flatMap((f) => [[f, 'a', 'b', 0], [f, 'a', 'b', 1]])];
  const columns = calls.map(([f, ...args]) => `${f}(${args.join(', ')})`);
  const result = await rows(`SELECT CAST(a - DATE '1970-01-01' AS INTEGER), CAST(b - DATE '1970-01-01' AS INTEGER), ${columns.join(', ')} FROM d ORDER BY i`);
  assert.equal(result.length, 100000);
  const lines = [];
  for (const [a, b] of result)
    for (const [f, , second, mode] of calls) lines.push(second ? `${f} ${iso(a)} ${iso(b)} ${mode}` : `${f} ${iso(a)}`);
  const run = spawnSync(process.env.DFA_HOST, ['call', '-'], { input: lines.join('\n') + '\n', maxBuffer: 1 << 30 });
  // 0001-01-01 has no serial: dfa-host reports it, the extension gives NULL.
  const expected = String(run.stdout).trim().split('\n');
  assert.equal(expected.length, lines.length, String(run.stderr));
  let k = 0, differences = 0;
  for (const row of result)
    for (const got of row.slice(2)) {
      const want = expected[k++];
      if (String(got === null ? 'error' : got) !== want && ++differences <= 10) assert.fail(`${lines[k - 1]}: ${got}, the add-in ${want}`);
    }
});
