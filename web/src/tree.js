import { rowsText } from './i18n.js';

// Draws a query tree ({root, nodes}, see model.js) as SVG with a
// tidy layout: each subtree is packed as close to its left neighbour as their
// outlines allow, and each operator sits centred over its operands. Edges and
// the root's output carry row counts where a node has a result.
const SVG = 'http://www.w3.org/2000/svg';
export const SYMBOLS = {
  union: '∪', minus: '−', product: '×', project: 'π', rename: 'ρ', select: 'σ',
  intersect: '∩', join: '⋈', semijoin: '⋉', antijoin: '▷', divide: '÷',
};
const FONT = 13; // px, monospace, so a label's width follows from its length
const CHAR = FONT * 0.62;
const PAD = 10;
const LINE = 17;
const GAP_X = 18;
const GAP_Y = 46;
const TOP = 44; // room for the root's output edge
const DETAIL_MAX = 40;

const clip = (s, n) => (s.length > n ? `${s.slice(0, n - 1)}…` : s);

function lines(node) {
  const head = SYMBOLS[node.kind] ? `${SYMBOLS[node.kind]} ${node.text}` : node.text;
  return node.detail ? [clip(head, DETAIL_MAX), clip(node.detail, DETAIL_MAX)] : [clip(head, DETAIL_MAX)];
}

// Positions relative to the subtree's root, and its outline: per depth, the
// leftmost and rightmost extent.
function placeSubtree(id, byId, boxes) {
  const node = byId.get(id);
  const text = lines(node);
  const w = Math.max(...text.map((t) => t.length)) * CHAR + 2 * PAD;
  const h = text.length * LINE + PAD;
  boxes.set(id, { w, h, text });
  const children = (node.operands || []).filter((c) => byId.has(c)).map((c) => placeSubtree(c, byId, boxes));
  let outline = [];
  const offsets = [];
  for (const child of children) {
    let shift = 0;
    if (offsets.length > 0) {
      shift = -Infinity;
      for (let d = 0; d < Math.min(outline.length, child.outline.length); d++) {
        shift = Math.max(shift, outline[d].right - child.outline[d].left + GAP_X);
      }
    }
    offsets.push(shift);
    child.outline.forEach((o, d) => {
      const moved = { left: o.left + shift, right: o.right + shift };
      outline[d] = outline[d]
        ? { left: Math.min(outline[d].left, moved.left), right: Math.max(outline[d].right, moved.right) }
        : moved;
    });
  }
  const centre = children.length > 0 ? (offsets[0] + offsets[offsets.length - 1]) / 2 : 0;
  const xs = new Map([[id, 0]]);
  children.forEach((child, i) => child.xs.forEach((x, cid) => xs.set(cid, x + offsets[i] - centre)));
  outline = outline.map((o) => ({ left: o.left - centre, right: o.right - centre }));
  return { xs, outline: [{ left: -w / 2, right: w / 2 }, ...outline] };
}

function el(name, attrs, parent) {
  const e = document.createElementNS(SVG, name);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
  if (parent) parent.appendChild(e);
  return e;
}

function edgeLabel(group, x, y, text) {
  const w = text.length * CHAR * 0.9 + 8;
  el('rect', { class: 'edge-label-bg', x: x - w / 2, y: y - 9, width: w, height: 16, rx: 3 }, group);
  el('text', { class: 'edge-label', x, y: y + 3, 'text-anchor': 'middle' }, group).textContent = text;
}

// Replaces the content of `svg` with the tree; onSelect(node) runs when a
// node is clicked or chosen with Enter or Space.
export function render(svg, model, { selectedId = null, onSelect = () => {} } = {}) {
  svg.replaceChildren();
  const byId = new Map(model.nodes.map((n) => [n.id, n]));
  if (!byId.has(model.root)) return;
  const boxes = new Map();
  const { xs, outline } = placeSubtree(model.root, byId, boxes);
  const left = Math.min(...outline.map((o) => o.left));
  const right = Math.max(...outline.map((o) => o.right));
  const rowHeight = Math.max(...[...boxes.values()].map((b) => b.h)) + GAP_Y;
  const depth = new Map();
  const setDepth = (id, d) => {
    depth.set(id, d);
    (byId.get(id).operands || []).filter((c) => byId.has(c)).forEach((c) => setDepth(c, d + 1));
  };
  setDepth(model.root, 0);
  const margin = 8;
  const pos = (id) => ({ x: xs.get(id) - left + margin, y: TOP + depth.get(id) * rowHeight });
  const width = right - left + 2 * margin;
  const height = TOP + outline.length * rowHeight - GAP_Y + margin;
  svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
  svg.setAttribute('width', width);
  svg.setAttribute('height', height);

  const edges = el('g', { class: 'edges' }, svg);
  const labels = el('g', { class: 'edge-labels' }, svg);
  for (const [id] of xs) {
    const from = pos(id);
    for (const c of byId.get(id).operands || []) {
      if (!byId.has(c)) continue;
      const to = pos(c);
      const y1 = from.y + boxes.get(id).h;
      el('path', { class: 'edge', d: `M${from.x},${y1} C${from.x},${(y1 + to.y) / 2} ${to.x},${(y1 + to.y) / 2} ${to.x},${to.y}` }, edges);
      const result = byId.get(c).result || byId.get(c).input;
      if (result && result.row_count !== undefined) edgeLabel(labels, (from.x + to.x) / 2, (y1 + to.y) / 2, rowsText(result.row_count));
    }
  }
  const root = byId.get(model.root);
  if (root.result && root.result.row_count !== undefined) {
    const p = pos(model.root);
    el('path', { class: 'edge output', d: `M${p.x},${p.y} V${4}` }, edges);
    edgeLabel(labels, p.x, 14, rowsText(root.result.row_count));
  }

  const nodesGroup = el('g', { class: 'nodes' }, svg);
  for (const [id] of xs) {
    const node = byId.get(id);
    const { x, y } = pos(id);
    const box = boxes.get(id);
    const kind = SYMBOLS[node.kind] ? 'operator' : node.kind;
    const state = node.failed ? ' failed' : SYMBOLS[node.kind] && !node.result ? ' unevaluated' : '';
    // Named by its visible text, as a button with words on it is.
    const g = el('g', {
      class: `node ${kind}${state}${id === selectedId ? ' selected' : ''}`,
      tabindex: 0,
      role: 'button',
      'data-id': id,
      'aria-pressed': id === selectedId ? 'true' : 'false',
    }, nodesGroup);
    el('rect', { x: x - box.w / 2, y, width: box.w, height: box.h, rx: 6 }, g);
    box.text.forEach((t, i) => {
      el('text', { class: i === 0 ? 'head' : 'detail', x, y: y + PAD / 2 + LINE * i + FONT, 'text-anchor': 'middle' }, g)
        .textContent = t;
    });
    g.addEventListener('click', () => onSelect(node));
    g.addEventListener('keydown', (e) => {
      if (e.key === 'Enter' || e.key === ' ') {
        e.preventDefault();
        onSelect(node);
      }
    });
  }
}

