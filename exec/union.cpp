// union(A, B): one merge pass over both operands; on equal rows A's row wins.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"

void evaluateUnion(Evaluation &ev, CommandNode &node) {
  auto [result, a, b] = openMerge(ev, node);
  claimResultMemory(ev, node, std::uint64_t{rowCount(a)} + rowCount(b), columnCount(a),
                    valueBytesOf(a) + valueBytesOf(b));
  if (firstColumn(a) == nullptr) {
    return;
  }
  std::vector<Column *> targets = appendTargets(result, rowCount(a) + rowCount(b));
  RowCursor ra(a);
  RowCursor rb(b);
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
