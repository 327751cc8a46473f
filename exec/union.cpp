// union(A, B): one merge pass over both operands as sets; on equal rows A's
// row wins.
#include "exec/lifetimes.h"
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"
#include "exec/set_operand.h"
#include "platform/memory.h"
#include "platform/threads.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What one step of the merge took: A's row, B's, or A's for both.
constexpr char fromA = 'a';
constexpr char fromB = 'b';
constexpr char fromBoth = '=';

// One part of the merge: the steps it takes, where its rows go in the
// result, and what it put there.
struct MergePart {
  std::string taken;
  std::size_t first = 0;
  PlacedCells placed{0};
};

// Puts the rows that part's steps take from a and b, from rows aRow and bRow
// on, into the result columns at part.first on.
void placePart(MergePart &part, std::size_t aRow, std::size_t bRow, const RowCursor &a, const RowCursor &b,
               const std::vector<Column *> &targets) {
  for (std::size_t col = 0; col < targets.size(); ++col) {
    const Column &sourceA = *a.columns[col];
    const Column &sourceB = *b.columns[col];
    std::size_t x = aRow;
    std::size_t y = bRow;
    std::size_t at = part.first;
    for (char step : part.taken) {
      if (step == fromB) {
        part.placed.put(*targets[col], col, at++, sourceB, y++);
      } else {
        part.placed.put(*targets[col], col, at++, sourceA, x++);
        y += step == fromBoth ? 1 : 0;
      }
    }
  }
}

// The cells of an operand that nothing reads after the merge, given back
// behind it.
class CellsBehind {
public:
  CellsBehind(const Table &table, bool drop) {
    for (const Column *c = firstColumn(table); drop && c != nullptr; c = c->next) {
      columns_.push_back({c, ReleaseBehind(c->offsets.data()), ReleaseBehind(c->lengths.data())});
    }
  }
  // The rows before row are read no more.
  void upTo(std::size_t row) {
    for (Arrays &a : columns_) {
      a.offsets.upTo(a.column->offsets.data() + row);
      a.lengths.upTo(a.column->lengths.data() + row);
    }
  }

private:
  struct Arrays {
    const Column *column;
    ReleaseBehind offsets;
    ReleaseBehind lengths;
  };
  std::vector<Arrays> columns_;
};

// The merge cut into parts that threads can compare apart: part p takes A's
// rows from the p-th of a run of equal shares and B's rows from the first
// that is not below that A row, so that every row of a part is below every
// row of the next one and equal rows fall in one part. A batch of parts
// finds its steps on the threads; then, their rows' places in the result
// known, the threads put them there; then texts out of reach are kept aside
// in row order. The result is the one pass's exactly. Only where both
// operands order their columns alike (as ints or as texts). An operand to
// drop gives back the memory of its cells behind each batch.
bool mergeInParts(const Table &a, const Table &b, const std::vector<Column *> &targets, bool dropA, bool dropB) {
  constexpr std::size_t partRows = std::size_t{1} << 14;
  std::size_t na = rowCount(a);
  std::size_t nb = rowCount(b);
  if (parallelism() == 1 || na < 4 * partRows) {
    return false;
  }
  RowCursor ra(a);
  RowCursor rb(b);
  for (std::size_t i = 0; i < ra.widths.size(); ++i) {
    if ((ra.widths[i] == 0) != (rb.widths[i] == 0)) {
      return false;
    }
  }
  for (const Column *target : targets) {
    if (target->base == nullptr || target->size() != 0) {
      return false; // the one pass sets the base
    }
  }
  std::size_t parts = na / partRows;
  std::vector<std::size_t> aStart(parts + 1, na);
  std::vector<std::size_t> bStart(parts + 1, nb);
  for (std::size_t p = 0; p < parts; ++p) {
    aStart[p] = partOf(na, parts, p).first;
    // The first B row not below A's row aStart[p].
    ra.row = aStart[p];
    std::size_t low = p == 0 ? 0 : bStart[p - 1];
    std::size_t high = nb;
    while (low < high) {
      rb.row = low + (high - low) / 2;
      if (compareRows(ra, rb) > 0) {
        low = rb.row + 1;
      } else {
        high = rb.row;
      }
    }
    bStart[p] = p == 0 ? 0 : low;
  }
  auto steps = [&](std::size_t p, std::string &taken) {
    RowCursor x(a);
    RowCursor y(b);
    x.row = aStart[p];
    y.row = bStart[p];
    taken.clear();
    for (; x.row < aStart[p + 1]; x.advance()) {
      int c = -1;
      while (y.row < bStart[p + 1] && (c = compareRows(x, y)) > 0) {
        taken += fromB;
        y.advance();
      }
      if (y.row >= bStart[p + 1]) {
        c = -1;
      }
      taken += c == 0 ? fromBoth : fromA;
      if (c == 0) {
        y.advance();
      }
    }
    taken.append(bStart[p + 1] - y.row, fromB);
  };
  // Parts whose steps are held at once: about a sixteenth of the merge, so
  // that the memory given back behind it is not long held, yet enough that
  // the threads seldom wait for each other.
  std::size_t batchParts = std::max<std::size_t>(8, parts / 16);
  std::vector<MergePart> batch(batchParts);
  CellsBehind behindA(a, dropA);
  CellsBehind behindB(b, dropB);
  std::size_t rows = 0;
  for (std::size_t from = 0; from < parts; from += batchParts) {
    std::size_t count = std::min(batchParts, parts - from);
    runParts(count, [&](std::size_t q) { steps(from + q, batch[q].taken); });
    for (std::size_t q = 0; q < count; ++q) {
      batch[q].first = rows;
      rows += batch[q].taken.size();
      batch[q].placed = PlacedCells(targets.size());
    }
    for (Column *target : targets) {
      target->offsets.resize(rows);
      target->lengths.resize(rows);
    }
    runParts(count, [&](std::size_t q) { placePart(batch[q], aStart[from + q], bStart[from + q], ra, rb, targets); });
    for (std::size_t q = 0; q < count; ++q) {
      batch[q].placed.takeIn(targets);
    }
    behindA.upTo(aStart[from + count]);
    behindB.upTo(bStart[from + count]);
  }
  return true;
}

} // namespace

void evaluateUnion(Evaluation &ev, CommandNode &node) {
  auto [result, first, second] = openMerge(ev, node);
  claimResultMemory(ev, node, addBytes(rowCount(first), rowCount(second)), columnCount(first),
                    addBytes(valueBytesOf(first), valueBytesOf(second)));
  if (firstColumn(first) == nullptr) {
    return;
  }
  SetOperand a(first);
  SetOperand b(second);
  // Sorted copies, and relations of the file that nothing else reads, are
  // done with as the merge passes them.
  bool dropA = a.isCopy() || readOnlyBy(ev, node, 1);
  bool dropB = b.isCopy() || readOnlyBy(ev, node, 2);
  std::vector<Column *> targets = appendTargets(result, rowCount(a.rows()) + rowCount(b.rows()));
  if (mergeInParts(a.rows(), b.rows(), targets, dropA, dropB)) {
    if (dropA && !a.isCopy()) {
      dropCells(first);
    }
    if (dropB && !b.isCopy()) {
      dropCells(second);
    }
    return;
  }
  RowCursor ra(a.rows());
  RowCursor rb(b.rows());
  while (!ra.exhausted()) {
    int c = rb.exhausted() ? -1 : compareRows(ra, rb);
    if (c <= 0) {
      appendRow(targets, ra);
      ra.advance();
      if (c == 0) {
        rb.advance();
      }
    } else {
      appendRow(targets, rb);
      rb.advance();
    }
  }
  for (; !rb.exhausted(); rb.advance()) {
    appendRow(targets, rb);
  }
}
