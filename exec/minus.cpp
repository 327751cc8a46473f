// minus(L, R): one merge pass; L's rows that R does not hold, in L's order.
#include "exec/merge.h"
#include "exec/operators.h"
#include "exec/rows.h"

void evaluateMinus(Database &db, CommandNode &node) {
  Table &result = createTempTable(db, node);
  Table &l = resolveOperand(db, node, 1);
  Table &r = resolveOperand(db, node, 2);
  requireSameColumnCount(node, l, r);
  copyColumns(result, l);
  if (firstColumn(l) == nullptr) {
    return;
  }
  std::vector<Column *> targets = appendTargets(result);
  RowCursor rl(l);
  RowCursor rr(r);
  while (!rl.exhausted()) {
    int c = rr.exhausted() ? -1 : compareRows(rl, rr);
    if (c < 0) {
      appendRow(result, targets, rl);
      rl.advance();
    } else if (c == 0) {
      rl.advance();
      rr.advance();
    } else {
      rr.advance();
    }
  }
}
