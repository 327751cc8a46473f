// The page's behaviour: runs the editor's text through the WebAssembly engine
// (tabulon.js) and shows the result relation, the query tree, the output file
// and the console, and on a failure the error line and its place in the input.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const editor = $('editor');
  const gutter = $('gutter');
  const runButton = $('run');
  const picker = $('example');
  const statusLine = $('status');
  const errorLine = $('error');
  const resultCaption = $('result-caption');
  const resultTable = $('result-table');
  const treeSvg = $('tree');
  const treeInfo = $('tree-info');
  const outputText = $('output');
  const downloadButton = $('download');
  const consoleText = $('console');

  // Beyond these the page gets slow; the downloaded file has everything.
  const TABLE_ROW_LIMIT = 1000;
  const OUTPUT_SHOWN_CHARS = 1 << 20;
  const utf8 = new TextEncoder();
  // The engine's own messages hold Latin-1 letters; input text is UTF-8.
  const decode = (bytes) => {
    try {
      return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
    } catch {
      return new TextDecoder('windows-1252').decode(bytes);
    }
  };

  let engine = null;
  let outputBytes = null;
  let tree = null; // {model, selectedId}

  // --- editor -------------------------------------------------------------

  let errorLineNumber = 0;
  function updateGutter() {
    const count = editor.value.split('\n').length;
    const numbers = [];
    for (let i = 1; i <= count; i++) {
      numbers.push(i === errorLineNumber ? `<span class="error-mark">${i}</span>` : `<span>${i}</span>`);
    }
    gutter.innerHTML = numbers.join('');
    gutter.scrollTop = editor.scrollTop;
  }

  // The engine counts columns in bytes; the textarea in UTF-16 units.
  function offsetOf(text, line, byteColumn) {
    const lines = text.split('\n');
    if (line < 1 || line > lines.length) return null;
    let start = 0;
    for (let i = 0; i < line - 1; i++) start += lines[i].length + 1;
    const lineText = lines[line - 1];
    let i = 0;
    for (let bytes = 0; i < lineText.length && bytes < byteColumn - 1; i++) {
      bytes += utf8.encode(lineText[i]).length;
    }
    return { start: start + i, lineEnd: start + lineText.length };
  }

  // Selects the word, literal or mark at line:column (the whole line without
  // a column) and scrolls it into view.
  function markInEditor(line, column) {
    const text = editor.value;
    const place = offsetOf(text, line, column || 1);
    if (place === null) return;
    let { start } = place;
    let end = place.lineEnd;
    if (column) {
      end = start;
      if (text[start] === "'") {
        const close = text.indexOf("'", start + 1);
        end = close < 0 ? text.length : close + 1;
      } else {
        while (end < place.lineEnd && !/[\s(),']/.test(text[end])) end++;
        if (end === start) end = Math.min(start + 1, place.lineEnd);
      }
    }
    errorLineNumber = line;
    updateGutter();
    editor.focus();
    editor.setSelectionRange(start, end);
    const lineHeight = parseFloat(getComputedStyle(editor).lineHeight) || 20;
    editor.scrollTop = Math.max(0, (line - 3) * lineHeight);
    gutter.scrollTop = editor.scrollTop;
  }

  function clearMark() {
    errorLine.hidden = true;
    errorLine.textContent = '';
    if (errorLineNumber !== 0) {
      errorLineNumber = 0;
      updateGutter();
    }
  }

  // --- results ------------------------------------------------------------

  // The result relation from the output file: what follows the copy of the
  // input is a header line and one line per row. null when it is not there.
  function readResult(output, input) {
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
      if (rows.length < TABLE_ROW_LIMIT) rows.push(row);
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
      body.insertRow().insertCell().outerHTML = `<td colspan="${relation.columns.length}" class="empty">no rows</td>`;
    }
  }

  function rowsText(n) {
    return `${n} ${n === 1 ? 'row' : 'rows'}`;
  }

  function relationCaption(relation, what) {
    const shown = relation.truncated || relation.rows.length > TABLE_ROW_LIMIT
      ? `, the first ${Math.min(relation.rows.length, TABLE_ROW_LIMIT)} shown`
      : '';
    return `${what} ${relation.name}: ${rowsText(relation.row_count)}${shown}`;
  }

  function selectNode(node) {
    tree.selectedId = node.id;
    drawTree();
    const label = node.detail ? `${node.text} ${node.detail}` : node.text;
    if (node.result) {
      const what = node.id === tree.model.root ? 'Result' : `Intermediate result of ${label}, relation`;
      showRelation(node.result, relationCaption(node.result, what));
      treeInfo.textContent = `Showing the relation of ${label}.`;
    } else if (node.id === tree.model.root) {
      treeInfo.textContent = 'No relation came out of the run.';
    } else if (node.kind === 'relation') {
      treeInfo.textContent = `${label} is a relation of the input file.`;
    } else {
      treeInfo.textContent = `${label} was not evaluated: the run stopped before it.`;
    }
  }

  function drawTree() {
    TabulonTree.render(treeSvg, tree.model, { selectedId: tree.selectedId, onSelect: selectNode });
    const selected = treeSvg.querySelector('.node.selected');
    if (selected && document.activeElement && document.activeElement.closest && document.activeElement.closest('#tree')) {
      selected.focus();
    }
  }

  // The tree as the command reads, with each operator's relation from the
  // engine's explanation (matched by where its word starts); without one, the
  // root carries the final result.
  function treeModel(files, input, result) {
    const model = TabulonQuery.parse(input);
    const explained = files['explain.json'] ? JSON.parse(decode(files['explain.json'])) : null;
    if (explained) {
      const at = new Map(explained.nodes.filter((n) => n.result).map((n) => [`${n.line}:${n.column}`, n.result]));
      for (const node of model.nodes) {
        const found = node.kind !== 'relation' && node.kind !== 'other' ? at.get(`${node.line}:${node.column}`) : null;
        if (found) node.result = found;
      }
    }
    const root = model.nodes.find((n) => n.id === model.root);
    if (result && !root.result) root.result = result;
    return model;
  }

  // --- running ------------------------------------------------------------

  function run() {
    if (!engine) return;
    const input = editor.value;
    const started = performance.now();
    let outcome;
    try {
      outcome = engine.runInput(utf8.encode(input));
    } catch (e) {
      // An abort (say, out of memory) leaves the module unusable.
      engine = null;
      runButton.disabled = true;
      statusLine.textContent = `The engine stopped (${e}); reload the page to run again.`;
      statusLine.className = 'failed';
      return;
    }
    const ms = performance.now() - started;
    const stdout = decode(outcome.stdout);
    const stderr = decode(outcome.stderr);
    outputBytes = outcome.files['output.txt'] || null;

    consoleText.replaceChildren(stdout);
    if (stderr) {
      const e = document.createElement('span');
      e.className = 'stderr';
      e.textContent = stderr;
      consoleText.appendChild(e);
    }
    const output = outputBytes ? decode(outputBytes) : '';
    if (!outputBytes) {
      outputText.textContent = '(no output file: the run failed)';
    } else if (output.length > OUTPUT_SHOWN_CHARS) {
      outputText.textContent = `${output.slice(0, OUTPUT_SHOWN_CHARS)}\n… (${outputBytes.length} bytes in all: download the file to see the rest)`;
    } else {
      outputText.textContent = output;
    }
    downloadButton.disabled = !outputBytes;

    const result = outputBytes ? readResult(output, input) : null;
    if (outcome.status === 0) {
      clearMark();
      statusLine.textContent = `Done in ${ms.toFixed(0)} ms: exit status 0.`;
      statusLine.className = 'ok';
      showRelation(result, result ? relationCaption(result, 'Result') : 'The command gave no result relation.');
    } else {
      statusLine.textContent = `Failed: exit status ${outcome.status}.`;
      statusLine.className = 'failed';
      showRelation(null, 'No result: the input file has an error.');
      const first = stderr.split('\n').find((l) => l.length > 0) || 'the run failed';
      errorLine.textContent = first;
      errorLine.hidden = false;
      const place = /^tabulon: input\.txt:(\d+)(?::(\d+))?: /.exec(first);
      if (place) {
        markInEditor(Number(place[1]), place[2] ? Number(place[2]) : 0);
      } else if (errorLineNumber !== 0) {
        errorLineNumber = 0;
        updateGutter();
      }
    }

    try {
      tree = { model: treeModel(outcome.files, input, result), selectedId: null };
      tree.selectedId = tree.model.root;
      drawTree();
      const root = tree.model.nodes.find((n) => n.id === tree.model.root);
      treeInfo.textContent = root.result
        ? 'Choose an operator to see its relation.'
        : 'The tree as the command reads; no relation came out of it.';
    } catch (e) {
      tree = null;
      treeSvg.replaceChildren();
      treeSvg.setAttribute('width', 0);
      treeSvg.setAttribute('height', 0);
      treeInfo.textContent = `No tree: ${e.message}.`;
    }
  }

  function loadExample(id) {
    const example = TABULON_EXAMPLES.find((e) => e.id === id);
    editor.value = example.text;
    editor.scrollTop = 0;
    clearMark();
    updateGutter();
  }

  // --- wiring -------------------------------------------------------------

  for (const example of TABULON_EXAMPLES) {
    const option = document.createElement('option');
    option.value = example.id;
    option.textContent = example.title;
    picker.appendChild(option);
  }
  picker.addEventListener('change', () => {
    loadExample(picker.value);
    run();
  });
  editor.addEventListener('input', () => {
    if (errorLineNumber !== 0) errorLineNumber = 0;
    updateGutter();
  });
  editor.addEventListener('scroll', () => {
    gutter.scrollTop = editor.scrollTop;
  });
  runButton.addEventListener('click', run);
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' && (e.ctrlKey || e.metaKey)) {
      e.preventDefault();
      run();
    }
  });
  downloadButton.addEventListener('click', () => {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([outputBytes], { type: 'text/plain' }));
    link.download = 'output.txt';
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 0);
  });

  loadExample(TABULON_EXAMPLES[0].id);
  createTabulon().then(
    (module) => {
      engine = module;
      runButton.disabled = false;
      statusLine.textContent = 'Ready.';
      run();
    },
    (e) => {
      statusLine.textContent = `The engine did not load: ${e}`;
      statusLine.className = 'failed';
    },
  );
})();
