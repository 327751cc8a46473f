// Runs the WebAssembly module over the golden cases, as the page does: one
// module, one input text after another. Exit status, standard output,
// standard error and the output file must match byte for byte. Cases about
// the command line or the file system rather than the input text are skipped.
//
//   node --no-experimental-fetch golden.js path/to/tabulon.js tests/golden
'use strict';

const fs = require('fs');
const path = require('path');

const [modulePath, goldenDir] = process.argv.slice(2);
if (!modulePath || !goldenDir) {
  console.error('usage: golden.js TABULON_JS GOLDEN_DIR');
  process.exit(2);
}

const PLAIN_COMMAND = 'input.txt output.txt';
const EXTENDED_COMMAND = `--extended ${PLAIN_COMMAND}`; // the page's switch
const CASE_FILES = new Set(['cmd', 'windows.skip', 'input.txt']);

// Why the page cannot run this case, or null when it can.
function skipReason(dir) {
  const cmdFile = path.join(dir, 'cmd');
  if (fs.existsSync(cmdFile)) {
    const cmd = fs.readFileSync(cmdFile, 'utf8').trim();
    if (cmd !== PLAIN_COMMAND && cmd !== EXTENDED_COMMAND) return `command line "${cmd}"`;
  }
  const input = path.join(dir, 'input.txt');
  if (!fs.existsSync(input)) return 'no input.txt';
  if (!fs.statSync(input).isFile()) return 'input.txt is not a file';
  const others = fs.readdirSync(dir).filter((f) => !CASE_FILES.has(f) && !f.startsWith('expected.'));
  if (others.length > 0) return `needs files besides input.txt: ${others.join(', ')}`;
  return null;
}

function readOptional(file, fallback) {
  return fs.existsSync(file) ? fs.readFileSync(file) : fallback;
}

// Where two byte strings part, with a little context from each.
function describeDifference(what, want, got) {
  let i = 0;
  while (i < want.length && i < got.length && want[i] === got[i]) i++;
  const show = (b) => JSON.stringify(Buffer.from(b.subarray(Math.max(0, i - 20), i + 40)).toString('latin1'));
  return `${what} differs at byte ${i} (expected ${want.length} bytes, got ${got.length}):\n` +
    `    expected ${show(want)}\n    got      ${show(got)}`;
}

function check(mod, dir) {
  const cmdFile = path.join(dir, 'cmd');
  const extended = fs.existsSync(cmdFile) && fs.readFileSync(cmdFile, 'utf8').trim() === EXTENDED_COMMAND;
  const result = mod.runInput(fs.readFileSync(path.join(dir, 'input.txt')), extended);
  const problems = [];
  const wantStatus = Number(readOptional(path.join(dir, 'expected.status'), '0').toString().trim());
  if (result.status !== wantStatus) problems.push(`exit status ${result.status}, expected ${wantStatus}`);
  const streams = [
    ['standard output', readOptional(path.join(dir, 'expected.stdout'), Buffer.alloc(0)), result.stdout],
    ['standard error', readOptional(path.join(dir, 'expected.stderr'), Buffer.alloc(0)), result.stderr],
  ];
  for (const [what, want, got] of streams) {
    if (Buffer.compare(want, Buffer.from(got)) !== 0) problems.push(describeDifference(what, want, got));
  }
  const wantOutput = readOptional(path.join(dir, 'expected.output'), null);
  const gotOutput = result.files['output.txt'];
  if (wantOutput === null && gotOutput !== undefined) problems.push('an output file was written, none expected');
  if (wantOutput !== null && gotOutput === undefined) problems.push('no output file written');
  if (wantOutput !== null && gotOutput !== undefined && Buffer.compare(wantOutput, Buffer.from(gotOutput)) !== 0) {
    problems.push(describeDifference('output file', wantOutput, gotOutput));
  }
  return problems;
}

async function main() {
  const mod = await require(path.resolve(modulePath))();
  const cases = fs.readdirSync(goldenDir).filter((f) => fs.statSync(path.join(goldenDir, f)).isDirectory()).sort();
  let passed = 0;
  let failed = 0;
  let skipped = 0;
  for (const name of cases) {
    const dir = path.join(goldenDir, name);
    const why = skipReason(dir);
    if (why !== null) {
      skipped++;
      console.log(`skip ${name}: ${why}`);
      continue;
    }
    let problems;
    try {
      problems = check(mod, dir);
    } catch (e) {
      problems = [`the module threw: ${e && e.stack ? e.stack : e}`];
    }
    if (problems.length === 0) {
      passed++;
    } else {
      failed++;
      console.log(`FAIL ${name}\n  ${problems.join('\n  ')}`);
    }
  }
  console.log(`${passed} passed, ${failed} failed, ${skipped} skipped`);
  process.exitCode = failed > 0 || passed === 0 ? 1 : 0;
}

main().catch((e) => {
  console.error(e);
  process.exitCode = 1;
});
