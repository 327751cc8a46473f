// The engine off the page's thread: a Web Worker made from the source that
// engine.js carries (TABULON_WORKER_SOURCE), since a page opened from disk may
// not start a worker from a file. Stopping a run ends the worker and starts a
// new one; a run's time is counted from the request to the answer.

export class Engine {
  constructor({ onReady, onLoadError }) {
    this.onReady = onReady;
    this.onLoadError = onLoadError;
    this.url = URL.createObjectURL(new Blob([globalThis.TABULON_WORKER_SOURCE], { type: 'text/javascript' }));
    this.pending = null;
    this.nextId = 1;
    this.start();
  }

  start() {
    this.ready = false;
    this.worker = new Worker(this.url);
    this.worker.onmessage = (e) => this.answer(e.data);
    this.worker.onerror = (e) => {
      e.preventDefault();
      const pending = this.pending;
      this.restart();
      if (pending) pending.reject(new Error(e.message || 'worker error'));
      else if (this.onLoadError) this.onLoadError(e.message);
    };
  }

  answer(data) {
    if (data.ready) {
      this.ready = true;
      this.onReady();
      return;
    }
    if (data.loadError) {
      this.onLoadError(data.loadError);
      return;
    }
    const pending = this.pending;
    if (!pending || pending.id !== data.id) return;
    this.pending = null;
    if (data.crash) {
      this.restart();
      pending.reject(new Error(data.crash));
      return;
    }
    pending.resolve({ ...data, ms: performance.now() - pending.started });
  }

  get busy() {
    return this.pending !== null;
  }

  // Resolves to {status, stdout, stderr, files, ms}; rejects when stopped.
  // extended: run as with --extended.
  run(bytes, extended = false) {
    if (this.pending) this.stop();
    return new Promise((resolve, reject) => {
      this.pending = { id: this.nextId++, resolve, reject, started: performance.now() };
      this.worker.postMessage({ id: this.pending.id, input: bytes, extended });
    });
  }

  // Ends the run under way; returns how long it had run, in ms.
  stop() {
    const pending = this.pending;
    this.restart();
    if (!pending) return 0;
    const ms = performance.now() - pending.started;
    const stopped = new Error('stopped');
    stopped.stopped = true;
    stopped.ms = ms;
    pending.reject(stopped);
    return ms;
  }

  restart() {
    this.pending = null;
    this.worker.terminate();
    this.start();
  }
}
