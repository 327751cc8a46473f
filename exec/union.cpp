// union(A, B): one merge pass over both operands; on equal rows A's row wins.
#include "exec/merge.h"
#include "exec/operators.h"
#include "exec/rows.h"

void evaluateUnion(Database &db, CommandNode &node) {
  Table &result = createTempTable(db, node);
  Table &a = resolveOperand(db, node, 1);
  Table &b = resolveOperand(db, node, 2);
  requireSameColumnCount(node, a, b);
  copyColumns(result, a);
  if (firstColumn(a) == nullptr) {
    return;
  }
  std::vector<Column *> targets = appendTargets(result);
  RowCursor ra(a);
  RowCursor rb(b);
  while (!ra.exhausted()) {
    int c = rb.exhausted() ? -1 : compareRows(ra, rb);
    if (c <= 0) {
      appendRow(result, targets, ra);
      ra.advance();
      if (c == 0) {
        rb.advance();
      }
    } else {
      appendRow(result, targets, rb);
      rb.advance();
    }
  }
  for (; !rb.exhausted(); rb.advance()) {
    appendRow(result, targets, rb);
  }
}
