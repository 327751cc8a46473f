// select(R, condition): the rows of R whose element of the row mask is true.
#include "exec/operators.h"
#include "exec/rows.h"

#include <vector>

void evaluateSelect(Database &db, CommandNode &node) {
  Table &result = createTempTable(db, node);
  Table &r = resolveOperand(db, node, 1);
  const CommandNode &condition = operandNode(db, node, secondArg(node), 2);
  copyColumns(result, r);
  std::vector<bool> mask;
  if (firstColumn(r) != nullptr) {
    db.evaluateCondition(r, condition.id, mask);
  }
  std::vector<Column *> targets = appendTargets(result);
  RowCursor source(r);
  for (bool keep : mask) {
    if (keep) {
      appendRow(result, targets, source);
    }
    source.advance();
  }
}
