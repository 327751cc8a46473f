// union(A, B): one merge pass over both operands as sets; on equal rows A's
// row wins.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"
#include "exec/set_operand.h"

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
