// Reads the command of an input file into a query tree of the same shape as
// the engine's explain JSON ({version, root, nodes: [{id, kind, text, line,
// column, operands}]}), so the tree view draws either. Only the structure is
// read here; whether the command is valid is for the engine to say.
'use strict';

const TabulonQuery = (() => {
  const OPERATORS = new Set(['union', 'minus', 'product', 'project', 'rename', 'select']);
  const TWO_RELATIONS = new Set(['union', 'minus', 'product']);
  const utf8 = new TextEncoder();

  class QueryError extends Error {}

  // Tokens: words, quoted literals and the three punctuation marks; columns
  // count bytes, as the engine's error lines do.
  function tokenizer(text) {
    let pos = 0;
    let line = 1;
    let lineStart = 0;
    const column = (at) => utf8.encode(text.slice(lineStart, at)).length + 1;
    const skipBlanks = () => {
      while (pos < text.length && /\s/.test(text[pos])) {
        if (text[pos] === '\n') {
          line++;
          lineStart = pos + 1;
        }
        pos++;
      }
    };
    return () => {
      skipBlanks();
      if (pos >= text.length) return { type: 'end', start: pos, end: pos, line, column: column(pos) };
      const start = pos;
      const at = { line, column: column(pos) };
      const ch = text[pos];
      if ('(),'.includes(ch)) {
        pos++;
        return { type: ch, start, end: pos, ...at };
      }
      if (ch === "'") {
        const close = text.indexOf("'", pos + 1);
        if (close < 0) throw new QueryError(`literal at ${at.line}:${at.column} is not closed`);
        for (let i = pos; i < close; i++) {
          if (text[i] === '\n') {
            line++;
            lineStart = i + 1;
          }
        }
        pos = close + 1;
        return { type: 'literal', start, end: pos, ...at };
      }
      while (pos < text.length && !/[\s(),']/.test(text[pos])) pos++;
      return { type: 'word', word: text.slice(start, pos), start, end: pos, ...at };
    };
  }

  // term := literal | word [ '(' term { ',' term } ')' ]
  function readTerm(text) {
    const next = tokenizer(text);
    let token = next();
    const take = () => {
      const t = token;
      token = next();
      return t;
    };
    const expect = (type) => {
      if (token.type !== type) {
        const found = token.type === 'end' ? 'the end of the file' : `"${text.slice(token.start, token.end)}"`;
        throw new QueryError(`expected "${type}" at ${token.line}:${token.column}, found ${found}`);
      }
      return take();
    };
    const term = () => {
      if (token.type === 'literal') return { ...take(), args: null };
      const head = expect('word');
      if (token.type !== '(') return { ...head, args: null };
      take();
      const args = [term()];
      while (token.type === ',') {
        take();
        args.push(term());
      }
      const close = expect(')');
      return { ...head, args, end: close.end };
    };
    return term();
  }

  // The command at the start of the input as {version, root, nodes}; throws a
  // QueryError when it cannot be read. Operator nodes carry what is not a
  // relation operand (columns, new names, the condition) as `detail`.
  function parse(text) {
    const nodes = [];
    const source = (t) => text.slice(t.start, t.end).replace(/\s+/g, ' ');
    const toNode = (term) => {
      const node = { id: nodes.length, kind: 'relation', text: source(term), line: term.line, column: term.column };
      nodes.push(node);
      node.operands = [];
      if (term.type === 'literal' || (term.args !== null && !OPERATORS.has(term.word))) {
        node.kind = 'other';
        return node.id;
      }
      if (term.args === null) return node.id;
      node.kind = term.word;
      node.text = term.word;
      const relationCount = Math.min(term.args.length, TWO_RELATIONS.has(term.word) ? 2 : 1);
      const rest = term.args.slice(relationCount);
      node.operands = term.args.slice(0, relationCount).map(toNode);
      if (rest.length > 0) node.detail = text.slice(rest[0].start, rest[rest.length - 1].end).replace(/\s+/g, ' ');
      return node.id;
    };
    const root = toNode(readTerm(text));
    return { version: 1, root, nodes };
  }

  return { parse, QueryError };
})();
