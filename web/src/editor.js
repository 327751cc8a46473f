// The input editor (CodeMirror 6): highlighting of the input file's parts,
// completion from the file itself, and the engine's diagnostics as a lint
// layer that follows the text as it is edited.
import { EditorState } from '@codemirror/state';
import {
  EditorView, keymap, lineNumbers, highlightActiveLine, highlightActiveLineGutter, drawSelection,
  highlightSpecialChars,
} from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { searchKeymap, highlightSelectionMatches } from '@codemirror/search';
import { autocompletion, completionKeymap, closeBrackets, closeBracketsKeymap } from '@codemirror/autocomplete';
import { lintGutter, setDiagnostics } from '@codemirror/lint';
import { StreamLanguage, HighlightStyle, syntaxHighlighting, bracketMatching } from '@codemirror/language';
import { tags } from '@lezer/highlight';
import { t } from './i18n.js';

const SIX = ['union', 'minus', 'product', 'project', 'rename', 'select'];
const EXTENDED = ['intersect', 'join', 'semijoin', 'antijoin', 'divide'];
// The operators of the run: the six, and with the page's switch for
// --extended (setExtended) the extended ones too; changed in place.
export const OPERATORS = [...SIX];
export function setExtended(on) {
  OPERATORS.splice(0, OPERATORS.length, ...SIX, ...(on ? EXTENDED : []));
}
export const CONDITIONS = ['EQ', 'NEQ', 'LT', 'LTE', 'GT', 'GTE', 'AND', 'OR', 'NOT'];
// How each is written, for the completion list and the palette.
export const SIGNATURES = {
  union: 'union(R, S)', minus: 'minus(R, S)', product: 'product(R, S)', project: 'project(R, col, …)',
  rename: 'rename(R, New(col, …))', select: 'select(R, condition)',
  intersect: 'intersect(R, S)', join: 'join(R, S[, condition])', semijoin: 'semijoin(R, S)',
  antijoin: 'antijoin(R, S)', divide: 'divide(R, S)',
  EQ: 'EQ(a, b)', NEQ: 'NEQ(a, b)', LT: 'LT(a, b)', LTE: 'LTE(a, b)', GT: 'GT(a, b)', GTE: 'GTE(a, b)',
  AND: 'AND(c, d)', OR: 'OR(c, d)', NOT: 'NOT(c)',
};
const describe = (word) => `${SIGNATURES[word]}: ${t(OPERATORS.includes(word) ? `op.${word}` : `cond.${word}`)}`;

// --- engine places ----------------------------------------------------------

// The document offset of the engine's LINE:COL (both from 1, the column in
// characters, as the engine counts them); a column past the line's end gives
// its end, column 0 (unknown) its start.
export function offsetOfPlace(doc, line, column) {
  if (line < 1 || line > doc.lines) return null;
  const { from, text } = doc.line(line);
  let units = 1;
  let offset = 0;
  for (const ch of text) { // by code point: an astral character is 2 UTF-16 units
    if (units >= column) break;
    units += 1;
    offset += ch.length;
  }
  return from + offset;
}

// The token at an offset: a quoted literal, a word, or one mark.
function tokenEnd(doc, from) {
  const line = doc.lineAt(from);
  const rest = line.text.slice(from - line.from);
  const m = /^('[^']*'?|[^\s(),']+|\S)/.exec(rest);
  return from + (m ? m[0].length : 0);
}

// Engine diagnostics ({line, column, text, severity}) as CodeMirror's.
export function toDiagnostics(doc, items) {
  const out = [];
  for (const item of items) {
    const at = offsetOfPlace(doc, item.line, item.column);
    if (at === null) continue;
    const line = doc.lineAt(at);
    let from = at;
    let to = item.column ? tokenEnd(doc, at) : line.to;
    // A place at the end of a line (a missing ')') marks the last character.
    if (to === from && from > line.from) from -= 1;
    if (to === from && to < doc.length) to += 1;
    out.push({ from, to, severity: item.severity, message: item.text, source: item.label });
  }
  return out;
}

export function showDiagnostics(view, items) {
  view.dispatch(setDiagnostics(view.state, toDiagnostics(view.state.doc, items)));
}

// --- highlighting -----------------------------------------------------------

// Sections of the file: the command up to the first empty line, then per
// relation a header line and value lines up to the next empty line.
const inputLanguage = StreamLanguage.define({
  name: 'tabulon',
  startState: () => ({ part: 'command', headerRead: false }),
  copyState: (s) => ({ ...s }),
  blankLine(state) {
    state.part = 'header';
    state.headerRead = false;
  },
  token(stream, state) {
    if (stream.sol() && state.part === 'header' && state.headerRead) state.part = 'rows';
    if (state.part === 'header') state.headerRead = true;
    if (stream.eatSpace()) return null;
    if (stream.peek() === "'") {
      stream.next();
      stream.skipTo("'") ? stream.next() : stream.skipToEnd();
      return 'string';
    }
    if (stream.eat(/[(),]/)) return 'punctuation';
    const word = stream.match(/^[^\s(),']+/);
    if (!word) {
      stream.next();
      return null;
    }
    const w = word[0];
    if (state.part === 'command') {
      if (OPERATORS.includes(w)) return 'keyword';
      if (CONDITIONS.includes(w)) return 'operatorKeyword';
      return 'variableName';
    }
    if (state.part === 'header') {
      if (/^(int|char)$/.test(w)) return 'typeName';
      return stream.peek() === '(' ? 'heading' : 'propertyName';
    }
    return /^[+-]?\d+$/.test(w) ? 'number' : 'invalid';
  },
  languageData: { closeBrackets: { brackets: ['(', "'"] } },
});

const highlight = HighlightStyle.define([
  { tag: tags.keyword, class: 'tok-operator' },
  { tag: tags.operatorKeyword, class: 'tok-condition' },
  { tag: tags.string, class: 'tok-literal' },
  { tag: tags.number, class: 'tok-number' },
  { tag: tags.heading, class: 'tok-relation' },
  { tag: tags.typeName, class: 'tok-type' },
  { tag: tags.propertyName, class: 'tok-column' },
  { tag: tags.variableName, class: 'tok-name' },
  { tag: tags.invalid, class: 'tok-invalid' },
  { tag: tags.punctuation, class: 'tok-punct' },
]);

// --- completion -------------------------------------------------------------

// The relations the file declares: a line after an empty line that reads
// Name(col type, ...). Read again at each completion, which is rare enough.
export function relationsOf(doc) {
  const found = new Map();
  let afterBlank = false;
  let commandDone = false;
  for (let i = 1; i <= doc.lines; i++) {
    const text = doc.line(i).text;
    if (text.trim() === '') {
      afterBlank = true;
      commandDone = true;
      continue;
    }
    if (afterBlank && commandDone) {
      const m = /^\s*([^\s(),']+)\s*\((.*)\)\s*$/.exec(text);
      if (m && !found.has(m[1])) {
        found.set(m[1], m[2].split(',').map((c) => c.trim().split(/\s+/)[0]).filter(Boolean));
      }
    }
    afterBlank = false;
  }
  return found;
}

// The command's text ends at its first empty line.
function commandEnd(doc) {
  for (let i = 1; i <= doc.lines; i++) if (doc.line(i).text.trim() === '') return doc.line(i).from;
  return doc.length;
}

// The relations in scope at `pos`: those named inside the innermost
// operator call around it.
function relationsInScope(command, pos, relations) {
  const opens = [];
  for (let i = 0; i < pos; i++) {
    const ch = command[i];
    if (ch === "'") {
      const close = command.indexOf("'", i + 1);
      if (close < 0 || close >= pos) break;
      i = close;
    } else if (ch === '(') opens.push(i);
    else if (ch === ')') opens.pop();
  }
  for (let k = opens.length - 1; k >= 0; k--) {
    const before = /([^\s(),']+)\s*$/.exec(command.slice(0, opens[k]));
    if (!before || !OPERATORS.includes(before[1])) continue;
    let depth = 0;
    let end = opens[k];
    for (; end < command.length; end++) {
      if (command[end] === '(') depth++;
      else if (command[end] === ')' && --depth === 0) break;
    }
    const words = command.slice(opens[k], end).match(/[^\s(),']+/g) || [];
    const inScope = words.filter((w) => relations.has(w));
    if (inScope.length > 0) return inScope;
  }
  return [];
}

// An operator or condition completes to its call, the cursor between the
// parentheses.
export function call(view, completion, from, to) {
  const text = `${completion.label}()`;
  view.dispatch({ changes: { from, to, insert: text }, selection: { anchor: from + text.length - 1 } });
}

function complete(context) {
  const word = context.matchBefore(/[^\s(),']*/);
  const { doc } = context.state;
  const end = commandEnd(doc);
  if (context.pos > end) return null;
  if (word.from === word.to && !context.explicit) return null;
  const relations = relationsOf(doc);
  const options = [
    ...OPERATORS.map((op) => ({ label: op, type: 'keyword', detail: describe(op), apply: call, boost: 2 })),
    ...CONDITIONS.map((c) => ({ label: c, type: 'function', detail: describe(c), apply: call })),
    ...[...relations.keys()].map((r) => ({ label: r, type: 'class', detail: `(${relations.get(r).join(', ')})` })),
  ];
  const scope = relationsInScope(doc.sliceString(0, end), context.pos, relations);
  const seen = new Set(options.map((o) => o.label));
  for (const r of scope) {
    for (const c of relations.get(r)) {
      if (!seen.has(c)) {
        seen.add(c);
        options.push({ label: c, type: 'property', detail: r, boost: 3 });
      }
    }
  }
  return { from: word.from, options, validFor: /^[^\s(),']*$/ };
}

// --- the editor -------------------------------------------------------------

export function createEditor(parent, { text, onChange, onRun, label }) {
  const view = new EditorView({
    parent,
    state: EditorState.create({
      doc: text,
      extensions: [
        lineNumbers(),
        highlightActiveLineGutter(),
        highlightSpecialChars(),
        history(),
        drawSelection(),
        bracketMatching(),
        closeBrackets(),
        highlightActiveLine(),
        highlightSelectionMatches(),
        // On a phone the whole command stays in view; elsewhere long
        // value lines stay one line each.
        matchMedia('(max-width: 600px)').matches ? EditorView.lineWrapping : [],
        inputLanguage,
        syntaxHighlighting(highlight),
        autocompletion({ override: [complete] }),
        lintGutter(),
        keymap.of([
          { key: 'Mod-Enter', run: () => (onRun(), true) },
          ...closeBracketsKeymap, ...defaultKeymap, ...searchKeymap, ...historyKeymap, ...completionKeymap,
        ]),
        // tabindex: what is editable is focusable already, but checkers of
        // scrolled regions look for it.
        EditorView.contentAttributes.of({ 'aria-label': label, spellcheck: 'false', autocapitalize: 'off', tabindex: '0' }),
        EditorView.updateListener.of((u) => {
          if (u.docChanged) onChange(u);
        }),
      ],
    }),
  });
  return view;
}
