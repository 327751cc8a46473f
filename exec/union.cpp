// union(A, B): one merge pass over both operands as sets; on equal rows A's
// row wins.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"
#include "exec/set_operand.h"
#include "platform/threads.h"

#include <string>

namespace {

// What one step of the merge took: A's row, B's, or A's for both.
constexpr char fromA = 'a';
constexpr char fromB = 'b';
constexpr char fromBoth = '=';

// The merge cut into parts that threads can compare apart: part p takes A's
// rows from the p-th of a run of equal shares and B's rows from the first
// that is not below that A row, so that every row of a part is below every
// row of the next one and equal rows fall in one part. Each part's steps are
// found on any thread and taken in order on the caller, which appends the
// cells, so the result is the one pass's exactly. Only where both operands
// order their columns alike (as ints or as texts).
bool mergeInParts(const Table &a, const Table &b, const std::vector<Column *> &targets) {
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
  auto append = [&](std::size_t p, std::string &taken) {
    RowCursor x(a);
    RowCursor y(b);
    x.row = aStart[p];
    y.row = bStart[p];
    for (char step : taken) {
      if (step == fromB) {
        appendRow(targets, y);
        y.advance();
      } else {
        appendRow(targets, x);
        x.advance();
        if (step == fromBoth) {
          y.advance();
        }
      }
    }
  };
  runInOrder(parts, steps, append);
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
  std::vector<Column *> targets = appendTargets(result, rowCount(a.rows()) + rowCount(b.rows()));
  if (mergeInParts(a.rows(), b.rows(), targets)) {
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
