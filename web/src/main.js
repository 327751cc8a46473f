// The page's behaviour: runs the editor's text through the engine (in a
// worker) and shows the result relation, the query tree, the output file and
// the console; the engine's explanation (explain.json) gives the tree, the
// error and the warnings, which the editor marks in place.
import { EXAMPLES } from './examples.js';
import { t, setLanguage, language, rowsText } from './i18n.js';
import {
  createEditor, showDiagnostics, offsetOfPlace, call, OPERATORS, CONDITIONS, SIGNATURES, setExtended,
} from './editor.js';
import { Engine } from './engine.js';
import { render } from './tree.js';
import { treeModel, notation } from './model.js';
import { encodeInput, decodeInput } from './share.js';

const $ = (id) => document.getElementById(id);
const runButton = $('run');
const stopButton = $('stop');
const picker = $('example');
const statusLine = $('status');
const problemList = $('problem-list');
const resultCaption = $('result-caption');
const resultTable = $('result-table');
const queryLine = $('query');
const treeSvg = $('tree');
const treeInfo = $('tree-info');
const outputText = $('output');
const consoleText = $('console');

// Beyond these the page gets slow; the downloaded files have everything.
const TABLE_ROW_LIMIT = 1000;
const OUTPUT_SHOWN_CHARS = 1 << 20;
const SAVE_KEY = 'tabulon.input';
const utf8 = new TextEncoder();
// The engine's own messages hold Latin-1 letters; input text is UTF-8.
const decode = (bytes) => {
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    return new TextDecoder('windows-1252').decode(bytes);
  }
};
const store = {
  get: (key) => {
    try {
      return localStorage.getItem(key);
    } catch {
      return null;
    }
  },
  set: (key, value) => {
    try {
      localStorage.setItem(key, value);
    } catch {
      // Private mode or a full store: the page works on without saving.
    }
  },
};

let view = null;
let engine = null;
let shown = null; // the last run: {input, outcome, explained, model, result, selectedId}
let edited = false; // whether the text differs from what was last loaded
let loading = false;
let saveTimer = 0;

function setStatus(text, kind = '') {
  statusLine.textContent = text;
  statusLine.className = kind;
}

// --- loading text -------------------------------------------------------------

// Replaces the editor's text as one undoable change; asks first when the
// current text holds edits (`question` null: never asks).
function loadText(text, question = t('replace')) {
  if (edited && question && view.state.doc.toString() !== text && !window.confirm(question)) return false;
  loading = true;
  view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text }, selection: { anchor: 0 }, scrollIntoView: true });
  loading = false;
  edited = false;
  store.set(SAVE_KEY, text);
  return true;
}

function fillPicker() {
  const chosen = picker.value;
  picker.replaceChildren(new Option(t('pickExample'), ''));
  for (const example of EXAMPLES) picker.appendChild(new Option(example.title[language()] || example.title.en, example.id));
  picker.value = chosen;
}

function download(bytes, name, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 0);
}

async function openFile(file) {
  if (!file) return;
  const text = await file.text();
  if (text.includes('\0')) {
    setStatus(t('notText', file.name), 'failed');
    return;
  }
  if (loadText(text)) {
    picker.value = '';
    setStatus(t('opened', file.name));
    run();
  }
}

// --- results ------------------------------------------------------------------

// The result relation from the output file: what follows the copy of the
// input is a header line and one line per row. null when it is not there.
function readResult(output, input, limit = TABLE_ROW_LIMIT) {
  if (!output.startsWith(input)) return null;
  const tail = output.slice(input.length);
  let i = 0;
  while (tail[i] === '\n') i++;
  const headerEnd = tail.indexOf('\n', i);
  const header = /^(.*?)\((.*)\)$/.exec(tail.slice(i, headerEnd));
  if (headerEnd < 0 || !header) return null;
  const columns = header[2].split(', ').map((c) => {
    const m = /^(.*) (int|char\(\d+\))$/.exec(c);
    return m ? { name: m[1], type: m[2] } : { name: c, type: '' };
  });
  const rows = [];
  let count = 0;
  i = headerEnd + 1;
  while (i < tail.length && tail[i] !== '\n') {
    const row = [];
    for (let c = 0; c < columns.length; c++) {
      const last = c === columns.length - 1;
      const quoted = columns[c].type.startsWith('char');
      // A quoted value may hold commas and newlines: it ends at the quote
      // that the separator follows.
      const stop = quoted ? (last ? "'\n" : "',") : last ? '\n' : ',';
      const from = quoted ? i + 1 : i;
      const at = tail.indexOf(stop, from);
      if (at < 0) return null;
      row.push(tail.slice(from, at));
      i = at + stop.length;
    }
    if (rows.length < limit) rows.push(row);
    count++;
  }
  return { name: header[1], columns, row_count: count, rows, truncated: count > rows.length };
}

function showRelation(relation, caption) {
  resultCaption.textContent = caption;
  resultTable.replaceChildren();
  if (!relation) return;
  const head = resultTable.createTHead().insertRow();
  for (const column of relation.columns) {
    const th = document.createElement('th');
    th.scope = 'col';
    th.textContent = column.name;
    const type = document.createElement('span');
    type.className = 'type';
    type.textContent = column.type;
    th.append(' ', type);
    head.appendChild(th);
  }
  const body = resultTable.createTBody();
  for (const row of relation.rows.slice(0, TABLE_ROW_LIMIT)) {
    const tr = body.insertRow();
    row.forEach((value, c) => {
      const td = tr.insertCell();
      td.textContent = value;
      if (relation.columns[c] && relation.columns[c].type === 'int') td.className = 'number';
    });
  }
  if (relation.row_count === 0) {
    const td = body.insertRow().insertCell();
    td.colSpan = Math.max(1, relation.columns.length);
    td.className = 'empty';
    td.textContent = t('noRows');
  }
}

// "R: 3 rows" (the internal name of a result is left out).
function relationCaption(relation, key, label) {
  const shownRows = Math.min(relation.rows.length, TABLE_ROW_LIMIT);
  const more = relation.row_count > shownRows ? t('firstShown', shownRows) : '';
  const name = relation.name.startsWith('__!!') ? '' : relation.name;
  return t(key, label === undefined ? name : label, rowsText(relation.row_count) + more).replace(/ +:/, ':');
}

function nodeLabel(node) {
  return node.detail ? `${node.text} ${node.detail}` : node.text;
}

function selectNode(node) {
  shown.selectedId = node.id;
  drawTree();
  const label = nodeLabel(node);
  const isRoot = node.id === shown.model.root;
  if (isRoot && shown.result) {
    showRelation(shown.result, relationCaption(shown.result, 'resultOf'));
    treeInfo.textContent = t('showing', label);
  } else if (node.result) {
    showRelation(node.result, relationCaption(node.result, isRoot ? 'resultOf' : 'intermediate', isRoot ? undefined : label));
    treeInfo.textContent = t('showing', label);
  } else if (node.input) {
    showRelation(node.input, relationCaption(node.input, 'inputRelation', node.input.name));
    treeInfo.textContent = t('showing', label);
  } else if (node.failed) {
    showRelation(null, t('noResult'));
    treeInfo.textContent = t('failedHere', label, shown.explained.error.message);
  } else if (node.kind === 'relation') {
    treeInfo.textContent = t('notInput', label);
  } else if (node.kind === 'other') {
    treeInfo.textContent = t('notRelation', label);
  } else {
    treeInfo.textContent = t('notEvaluated', label);
  }
}

function drawTree() {
  const hadFocus = document.activeElement && document.activeElement.closest && document.activeElement.closest('#tree');
  render(treeSvg, shown.model, { selectedId: shown.selectedId, onSelect: selectNode });
  const selected = treeSvg.querySelector('.node.selected');
  if (selected && hadFocus) selected.focus();
}

// The engine's error and warnings: marked in the editor, listed below it.
function showProblems(explained) {
  const items = [];
  if (explained && explained.error) {
    items.push({ ...explained.error, text: explained.error.message, severity: 'error', label: t('error') });
  }
  for (const w of (explained && explained.warnings) || []) items.push({ ...w, severity: 'warning', label: t('warning') });
  showDiagnostics(view, items);
  problemList.replaceChildren();
  for (const item of items) {
    const li = document.createElement('li');
    li.className = item.severity;
    const button = document.createElement('button');
    button.type = 'button';
    const place = item.line > 0 ? `${t('at', item.line, item.column)}: ` : '';
    button.textContent = `${item.label}: ${place}${item.text}`;
    button.addEventListener('click', () => {
      const at = offsetOfPlace(view.state.doc, item.line, item.column);
      if (at !== null) view.dispatch({ selection: { anchor: at }, scrollIntoView: true });
      view.focus();
    });
    li.appendChild(button);
    problemList.appendChild(li);
  }
  return items;
}

function show(input, outcome) {
  const stdout = decode(outcome.stdout);
  const stderr = decode(outcome.stderr);
  const outputBytes = outcome.files['output.txt'] || null;
  consoleText.replaceChildren(stdout);
  if (stderr) {
    const e = document.createElement('span');
    e.className = 'stderr';
    e.textContent = stderr;
    consoleText.appendChild(e);
  }
  const output = outputBytes ? decode(outputBytes) : '';
  if (!outputBytes) {
    outputText.textContent = t('noOutput');
  } else if (output.length > OUTPUT_SHOWN_CHARS) {
    outputText.textContent = `${output.slice(0, OUTPUT_SHOWN_CHARS)}\n${t('moreOutput', outputBytes.length)}`;
  } else {
    outputText.textContent = output;
  }
  $('download').disabled = !outputBytes;
  $('csv').disabled = !outputBytes;

  const explainBytes = outcome.files['explain.json'];
  const explained = explainBytes ? JSON.parse(new TextDecoder().decode(explainBytes)) : null;
  const items = showProblems(explained);
  const result = outputBytes ? readResult(output, input) : null;
  const warnings = items.filter((i) => i.severity === 'warning').length;
  const ms = outcome.ms.toFixed(0);
  if (outcome.status === 0) {
    setStatus(warnings ? t('doneWarned', ms, warnings) : t('done', ms), warnings ? 'warned' : 'ok');
  } else {
    setStatus(t('failed', ms), 'failed');
  }
  shown = { input, outcome, output, outputBytes, explained, result, model: null, selectedId: null };
  if (explained && explained.root !== null) {
    shown.model = treeModel(explained);
    queryLine.textContent = `${t('query')} ${notation(explained)}`;
    const root = shown.model.nodes.find((n) => n.id === shown.model.root);
    selectNode(root);
    if (result || root.result) treeInfo.textContent = t('chooseNode');
    $('svg').disabled = false;
  } else {
    queryLine.textContent = '';
    treeSvg.replaceChildren();
    treeSvg.setAttribute('width', 0);
    treeSvg.setAttribute('height', 0);
    treeInfo.textContent = t('noTree');
    $('svg').disabled = true;
    showRelation(result, result ? relationCaption(result, 'resultOf') : t(outcome.status ? 'noResult' : 'noRelation'));
  }
}

// --- running ------------------------------------------------------------------

async function run() {
  if (!engine) return;
  const input = view.state.doc.toString();
  setStatus(t('running'), 'busy');
  stopButton.disabled = false;
  try {
    const outcome = await engine.run(utf8.encode(input), $('extended').checked);
    stopButton.disabled = true;
    show(input, outcome);
  } catch (e) {
    if (engine.busy) return; // replaced by a newer run
    stopButton.disabled = true;
    if (e.stopped) setStatus(t('stopped', e.ms.toFixed(0)), 'failed');
    else setStatus(t('crashed', e.message), 'failed');
  }
}

function stop() {
  engine.stop();
  stopButton.disabled = true;
  runButton.focus();
}

// --- export -------------------------------------------------------------------

function csvOf(relation) {
  const cell = (v) => (/[",\n\r]/.test(v) || /^\s|\s$/.test(v) ? `"${v.replace(/"/g, '""')}"` : v);
  const lines = [relation.columns.map((c) => cell(c.name)).join(',')];
  for (const row of relation.rows) lines.push(row.map(cell).join(','));
  return `${lines.join('\r\n')}\r\n`;
}

// The tree as a file of its own: the page's colours written in.
function svgFile() {
  const copy = treeSvg.cloneNode(true);
  const css = getComputedStyle(document.documentElement);
  const v = (name) => css.getPropertyValue(name).trim();
  const style = document.createElementNS('http://www.w3.org/2000/svg', 'style');
  style.textContent = `svg{font-family:monospace;font-size:13px;background:${v('--panel')}}
.edge{fill:none;stroke:${v('--muted')};stroke-width:1.5}.edge.output{stroke-dasharray:4 3}
.edge-label{fill:${v('--text')};font-size:11px}.edge-label-bg{fill:${v('--panel')};stroke:${v('--line')}}
.node rect{fill:${v('--node')};stroke:${v('--accent')};stroke-width:1.2}
.node.relation rect,.node.other rect{fill:${v('--leaf')};stroke:${v('--muted')}}
.node.unevaluated rect{stroke-dasharray:4 3}.node.failed rect{stroke:${v('--bad')};stroke-width:2.5}
.node text{fill:${v('--text')}}.node text.head{font-weight:700}.node text.detail{fill:${v('--muted')};font-size:12px}`;
  copy.insertBefore(style, copy.firstChild);
  copy.querySelectorAll('[tabindex]').forEach((n) => n.removeAttribute('tabindex'));
  return new XMLSerializer().serializeToString(copy);
}

// --- wiring -------------------------------------------------------------------

function applyTheme(theme) {
  document.documentElement.dataset.theme = theme;
  $('theme').setAttribute('aria-pressed', String(theme === 'dark'));
}

// The palette: each operator and condition, written at the cursor.
function fillPalette() {
  const box = $('palette-buttons');
  box.replaceChildren();
  for (const word of [...OPERATORS, ...CONDITIONS]) {
    const button = document.createElement('button');
    button.type = 'button';
    const code = document.createElement('code');
    code.textContent = SIGNATURES[word];
    button.append(code, ` ${t(OPERATORS.includes(word) ? `op.${word}` : `cond.${word}`)}`);
    button.addEventListener('click', () => {
      const { from, to } = view.state.selection.main;
      call(view, { label: word }, from, to);
      view.focus();
    });
    box.appendChild(button);
  }
}

function applyLanguage(lang) {
  setLanguage(lang);
  const other = lang === 'hu' ? 'en' : 'hu';
  $('lang').textContent = other === 'hu' ? 'Magyar' : 'English';
  $('lang').lang = other;
  $('extended').parentElement.title = t('extendedTitle');
  view.contentDOM.setAttribute('aria-label', t('input'));
  fillPicker();
  fillPalette();
  if (shown) {
    const selected = shown.selectedId;
    show(shown.input, shown.outcome);
    const node = shown.model && shown.model.nodes.find((n) => n.id === selected);
    if (node) selectNode(node);
  } else {
    setStatus(engine && engine.ready ? t('ready') : t('loading'));
  }
}

async function start() {
  const savedLang = store.get('tabulon.lang');
  const lang = savedLang || (/^hu\b/i.test(navigator.language || '') ? 'hu' : 'en');
  const savedTheme = store.get('tabulon.theme');
  applyTheme(savedTheme || (matchMedia('(prefers-color-scheme: dark)').matches ? 'dark' : 'light'));

  $('extended').checked = store.get('tabulon.extended') === 'on';
  setExtended($('extended').checked);

  const saved = store.get(SAVE_KEY);
  view = createEditor($('editor'), {
    text: saved !== null ? saved : EXAMPLES[0].text,
    label: 'Input file',
    onRun: run,
    onChange: () => {
      if (loading) return;
      edited = true;
      if (picker.value !== '') picker.value = '';
      clearTimeout(saveTimer);
      saveTimer = setTimeout(() => store.set(SAVE_KEY, view.state.doc.toString()), 300);
    },
  });
  window.tabulon = { view }; // for the browser tests and the curious
  const example = EXAMPLES.find((e) => e.text === view.state.doc.toString());
  edited = saved !== null && !example;
  applyLanguage(lang);
  picker.value = example ? example.id : '';

  // A shared link wins over the saved text, but only when the user agrees.
  const linked = await decodeInput(location.hash);
  if (linked !== null) {
    if (loadText(linked, t('replaceLink'))) picker.value = '';
    // Taken in: a reload now shows the saved work, not the link again.
    history.replaceState(null, '', location.pathname + location.search);
  }

  // A keyboard is likely where the pointer is precise and can hover.
  if (matchMedia('(hover: hover) and (pointer: fine)').matches) {
    $('run-keys').textContent = /Mac|iPhone|iPad/.test(navigator.platform) ? '⌘+Enter' : 'Ctrl+Enter';
    $('run-keys').hidden = false;
  }

  picker.addEventListener('change', () => {
    const chosen = EXAMPLES.find((e) => e.id === picker.value);
    if (!chosen) return;
    if (loadText(chosen.text)) {
      picker.value = chosen.id;
      run();
    } else {
      picker.value = '';
    }
  });
  runButton.addEventListener('click', run);
  stopButton.addEventListener('click', stop);
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' && (e.ctrlKey || e.metaKey) && !e.defaultPrevented) {
      e.preventDefault();
      run();
    } else if (e.key === 'Escape' && !e.defaultPrevented && !stopButton.disabled) {
      stop();
    }
  });
  $('open').addEventListener('click', () => $('open-file').click());
  $('open-file').addEventListener('change', (e) => {
    openFile(e.target.files[0]);
    e.target.value = '';
  });
  const drop = document.querySelector('section.input');
  drop.addEventListener('dragover', (e) => {
    e.preventDefault();
    drop.classList.add('dropping');
  });
  drop.addEventListener('dragleave', () => drop.classList.remove('dropping'));
  drop.addEventListener('drop', (e) => {
    e.preventDefault();
    drop.classList.remove('dropping');
    openFile(e.dataTransfer.files[0]);
  });
  $('save').addEventListener('click', () => download(view.state.doc.toString(), 'input.txt', 'text/plain'));
  $('share').addEventListener('click', async () => {
    const link = await encodeInput(view.state.doc.toString());
    if (link.tooLarge) {
      setStatus(t('tooLarge', link.tooLarge), 'failed');
      return;
    }
    history.replaceState(null, '', link.fragment);
    try {
      await navigator.clipboard.writeText(location.href);
      setStatus(t('linkCopied'));
    } catch {
      setStatus(t('linkInAddress'));
    }
  });
  $('download').addEventListener('click', () => download(shown.outputBytes, 'output.txt', 'text/plain'));
  $('csv').addEventListener('click', () => {
    const full = readResult(shown.output, shown.input, Infinity);
    if (full) download(csvOf(full), 'result.csv', 'text/csv');
  });
  $('svg').addEventListener('click', () => download(svgFile(), 'query-tree.svg', 'image/svg+xml'));
  $('lang').addEventListener('click', () => {
    const next = language() === 'hu' ? 'en' : 'hu';
    store.set('tabulon.lang', next);
    applyLanguage(next);
  });
  $('extended').addEventListener('change', () => {
    const on = $('extended').checked;
    store.set('tabulon.extended', on ? 'on' : 'off');
    setExtended(on);
    fillPalette();
    run();
  });
  $('theme').addEventListener('click', () => {
    const next = document.documentElement.dataset.theme === 'dark' ? 'light' : 'dark';
    store.set('tabulon.theme', next);
    applyTheme(next);
  });

  let first = true;
  engine = new Engine({
    onReady: () => {
      runButton.disabled = false;
      if (first) {
        first = false;
        run();
      }
    },
    onLoadError: (message) => setStatus(t('noEngine', message), 'failed'),
  });
}

start();
