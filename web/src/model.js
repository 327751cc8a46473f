// The engine's explanation (docs/explain.md) as the page shows it: the tree
// of relations (operators over input relations, each operator's other
// operands as its detail) and the command in relational-algebra notation.
import { SYMBOLS } from './tree.js';

const TWO_RELATIONS = new Set(['union', 'minus', 'product', 'intersect', 'join', 'semijoin', 'antijoin', 'divide']);
const COMPARE = { EQ: '=', NEQ: '≠', LT: '<', LTE: '≤', GT: '>', GTE: '≥' };
const quote = (text) => `'${text}'`;

function byIdOf(explained) {
  return new Map(explained.nodes.map((n) => [n.id, n]));
}

// A non-relation operand as the command spells it.
function source(byId, id) {
  const node = byId.get(id);
  if (!node) return '?';
  if (node.kind === 'literal') return quote(node.text);
  if (node.operands.length === 0) return node.text;
  return `${node.text}(${node.operands.map((o) => source(byId, o)).join(', ')})`;
}

const isOperator = (node) => node && SYMBOLS[node.kind] !== undefined;
const relationCount = (node) => Math.min(node.operands.length, TWO_RELATIONS.has(node.kind) ? 2 : 1);

// {root, nodes: [{id, kind, text, detail, operands, result, input, failed}]}:
// kind is an operator's, 'relation' for a name, 'other' for anything else in
// a relation's place.
export function treeModel(explained) {
  const byId = byIdOf(explained);
  const failedId = explained.error ? explained.error.node : null;
  const nodes = [];
  const seen = new Set();
  const visit = (id) => {
    const node = byId.get(id);
    if (!node || seen.has(id)) return;
    seen.add(id);
    if (!isOperator(node)) {
      nodes.push({
        id, kind: node.kind === 'name' && node.operands.length === 0 ? 'relation' : 'other',
        text: source(byId, id), operands: [], input: node.input || null, line: node.line, column: node.column,
      });
      return;
    }
    const n = relationCount(node);
    const rest = node.operands.slice(n).map((o) => source(byId, o)).join(', ');
    nodes.push({
      id, kind: node.kind, text: node.text, detail: rest || undefined, operands: node.operands.slice(0, n),
      result: node.result || null, failed: id === failedId, line: node.line, column: node.column,
    });
    node.operands.slice(0, n).forEach(visit);
  };
  if (explained.root !== null) visit(explained.root);
  return { root: explained.root, nodes };
}

function condition(byId, id) {
  const node = byId.get(id);
  if (!node) return '?';
  const args = node.operands.map((o) => condition(byId, o));
  if (COMPARE[node.kind]) return `${args[0]} ${COMPARE[node.kind]} ${args[1]}`;
  if (node.kind === 'AND' || node.kind === 'OR') {
    const inner = node.operands.map((o, i) => {
      const k = byId.get(o) && byId.get(o).kind;
      return (k === 'AND' || k === 'OR') && k !== node.kind ? `(${args[i]})` : args[i];
    });
    return inner.join(node.kind === 'AND' ? ' ∧ ' : ' ∨ ');
  }
  if (node.kind === 'NOT') return `¬(${args[0]})`;
  return source(byId, id);
}

// The command as σ, π, ρ, ∪, −, ×, and ∩, ⋈, ⋉, ▷, ÷ over the input relations.
export function notation(explained) {
  const byId = byIdOf(explained);
  const write = (id, nested) => {
    const node = byId.get(id);
    if (!node) return '?';
    if (!isOperator(node)) return source(byId, id);
    const [a, b] = node.operands;
    const rest = node.operands.slice(relationCount(node));
    let text;
    if (TWO_RELATIONS.has(node.kind)) {
      // A join's condition stands under its symbol, as a select's does.
      const on = rest.length > 0 ? `[${rest.map((c) => condition(byId, c)).join(', ')}]` : '';
      text = `${write(a, true)} ${SYMBOLS[node.kind]}${on} ${write(b, true)}`;
      return nested ? `(${text})` : text;
    }
    const inner = write(a, false);
    if (node.kind === 'select') text = `σ[${rest.map((c) => condition(byId, c)).join(', ')}]`;
    else if (node.kind === 'project') text = `π[${rest.map((c) => source(byId, c)).join(', ')}]`;
    else text = `ρ[${rest.map((c) => source(byId, c)).join(', ')}]`;
    return `${text}(${inner})`;
  };
  return explained.root === null ? '' : write(explained.root, false);
}
