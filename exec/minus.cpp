// minus(L, R): one merge pass over both operands as sets; L's rows that R
// does not hold, in ascending order.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"
#include "exec/set_operand.h"

void evaluateMinus(Evaluation &ev, CommandNode &node) {
  auto [result, first, second] = openMerge(ev, node);
  claimResultMemory(ev, node, rowCount(first), columnCount(first), valueBytesOf(first));
  if (firstColumn(first) == nullptr) {
    return;
  }
  SetOperand l(first);
  SetOperand r(second);
  std::vector<Column *> targets = appendTargets(result, rowCount(l.rows()));
  RowCursor rl(l.rows());
  RowCursor rr(r.rows());
  while (!rl.exhausted()) {
    int c = rr.exhausted() ? -1 : compareRows(rl, rr);
    if (c < 0) {
      appendRow(targets, rl);
      rl.advance();
    } else if (c == 0) {
      rl.advance();
      rr.advance();
    } else {
      rr.advance();
    }
  }
}
