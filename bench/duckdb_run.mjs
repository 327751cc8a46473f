// The DuckDB contender of run.py: one whole process that loads the case's
// relations from CSV, runs the same query and writes its rows as CSV.
//   node duckdb_run.mjs THREADS CASE.json
// CASE.json: {"tables": [[name, csv path, {column: type}]], "query": sql,
// "out": path}.
import { DuckDBInstance } from '@duckdb/node-api';
import { readFileSync } from 'node:fs';

const [threads, casePath] = process.argv.slice(2);
const job = JSON.parse(readFileSync(casePath, 'utf8'));
const quote = (text) => "'" + text.replaceAll("'", "''") + "'";
const instance = await DuckDBInstance.create(':memory:', { threads: String(threads) });
const connection = await instance.connect();
for (const [name, csv, columns] of job.tables) {
  const types = Object.entries(columns).map(([c, t]) => `${quote(c)}: ${quote(t)}`).join(', ');
  await connection.run(
    `CREATE TABLE ${name} AS SELECT * FROM read_csv(${quote(csv)}, header = false, columns = {${types}})`);
}
await connection.run(`COPY (${job.query}) TO ${quote(job.out)} (FORMAT csv, HEADER false)`);
connection.closeSync();
instance.closeSync();
