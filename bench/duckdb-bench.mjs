// SPDX-License-Identifier: MIT
// What a row costs in DuckDB: each function of the extension over 1,000,000 rows of two dates
// (1900-2100), beside DuckDB's nearest built-ins on the same rows, with one thread and with
// all. Each query runs REPEAT times (default 7), the fastest counts; ns per row of the query.
import { DuckDBInstance } from '@duckdb/node-api';
import { availableParallelism } from 'node:os';

const db = await (await DuckDBInstance.create(':memory:', { allow_unsigned_extensions: 'true' })).connect();
await db.run(`LOAD '${process.env.DFA_DUCKDB_EXTENSION}'`);
const ROWS = 1000000, REPEAT = Number(process.env.REPEAT ?? 7);
await db.run(`CREATE TABLE t AS SELECT DATE '1900-01-01' + CAST(floor(random() * 73049) AS INTEGER) AS a,
  DATE '1900-01-01' + CAST(floor(random() * 73049) AS INTEGER) AS b FROM range(${ROWS})`);
const QUERIES = [
  ['year(a) (reading a date)', 'year(a)'],
  ["date_diff('month', a, b)", "date_diff('month', a, b)"],
  ["date_diff('week', a, b)", "date_diff('week', a, b)"],
  ["date_diff('year', a, b)", "date_diff('year', a, b)"],
  ['isoyear(a)', 'isoyear(a)'],
  ['QvDate_GetDiffMonths(a, b)', 'qvdate_getdiffmonths(a, b)'],
  ['QvDate_GetDiffWeeks(a, b)', 'qvdate_getdiffweeks(a, b)'],
  ['QvDate_GetDiffYears(a, b)', 'qvdate_getdiffyears(a, b)'],
  ['QvDate_GetDiffYears(a, b, 1)', 'qvdate_getdiffyears(a, b, 1)'],
  ['QvDate_WeeksInYear(a)', 'qvdate_weeksinyear(a)'],
  ['QvDate_DaysInMonth(a)', 'qvdate_daysinmonth(a)'],
  ['QvDate_IsLeapYear(a)', 'qvdate_isleapyear(a)'],
];
const threads = availableParallelism();
console.log(`ns per row over ${ROWS} rows   1 thread   ${threads} threads`);
for (const [name, expression] of QUERIES) {
  const fastest = [];
  for (const n of [1, threads]) {
    await db.run(`SET threads = ${n}`);
    let best = Infinity;
    for (let i = 0; i < REPEAT; ++i) {
      const start = process.hrtime.bigint();
      await db.runAndReadAll(`SELECT sum(${expression}) FROM t`);
      best = Math.min(best, Number(process.hrtime.bigint() - start));
    }
    fastest.push((best / ROWS).toFixed(2));
  }
  console.log(`${name.padEnd(30)} ${fastest[0].padStart(8)} ${fastest[1].padStart(10)}`);
}
