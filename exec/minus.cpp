// minus(L, R): one merge pass; L's rows that R does not hold, in L's order.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"

void evaluateMinus(Evaluation &ev, CommandNode &node) {
  auto [result, l, r] = openMerge(ev, node);
  claimResultMemory(ev, node, rowCount(l), columnCount(l), valueBytesOf(l));
  if (firstColumn(l) == nullptr) {
    return;
  }
  std::vector<Column *> targets = appendTargets(result, rowCount(l));
  RowCursor rl(l);
  RowCursor rr(r);
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
