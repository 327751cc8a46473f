// Builds the page's scripts into OUT_DIR: app.js, the page's modules bundled
// by esbuild, and engine.js, which holds the engine (tabulon.js) and its
// worker as one text that the page starts as a Web Worker.
//
//   node build.mjs TABULON_JS OUT_DIR
import { build } from 'esbuild';
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const [engineFile, outDir] = process.argv.slice(2);
if (!engineFile || !outDir) {
  console.error('usage: build.mjs TABULON_JS OUT_DIR');
  process.exit(2);
}

await build({
  entryPoints: [join(here, 'src/main.js')],
  bundle: true,
  minify: true,
  format: 'iife',
  target: 'es2020',
  legalComments: 'none',
  outfile: join(outDir, 'app.js'),
  logLevel: 'warning',
});

const worker = `${readFileSync(engineFile, 'utf8')}\n${readFileSync(join(here, 'worker.js'), 'utf8')}`;
writeFileSync(join(outDir, 'engine.js'),
  `// The engine and its worker, started from a Blob (see src/engine.js).\nself.TABULON_WORKER_SOURCE = ${JSON.stringify(worker)};\n`);
