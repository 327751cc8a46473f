// The engine's Web Worker: appended to tabulon.js by build.mjs, so that one
// Blob holds both and the worker starts from a page opened from disk too.
// Each message is one input text; the answer is what runInput returns.
'use strict';

const tabulonReady = createTabulon();
tabulonReady.then(
  () => postMessage({ ready: true }),
  (e) => postMessage({ loadError: String(e) }),
);
onmessage = async (event) => {
  const engine = await tabulonReady;
  let outcome;
  try {
    outcome = engine.runInput(event.data.input, Boolean(event.data.extended));
  } catch (e) {
    // An abort (say, out of memory) leaves the module unusable: the page
    // starts another worker.
    postMessage({ id: event.data.id, crash: String(e) });
    return;
  }
  const files = {};
  for (const name of Object.keys(outcome.files)) files[name] = outcome.files[name];
  const answer = { id: event.data.id, status: outcome.status, stdout: outcome.stdout, stderr: outcome.stderr, files };
  postMessage(answer, [answer.stdout.buffer, answer.stderr.buffer, ...Object.values(files).map((f) => f.buffer)]);
};
