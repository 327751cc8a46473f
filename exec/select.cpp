// select(R, condition): the rows of R whose element of the row mask is true.
#include "exec/condition.h"
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"

#include <algorithm>
#include <vector>

void evaluateSelect(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &r = resolveOperand(ev, node, 1);
  const CommandNode &condition = operandNode(ev, node, secondArg(node), 2);
  claimResultMemory(ev, node, rowCount(r), columnCount(r), valueBytesOf(r));
  copyColumns(result, r);
  std::vector<bool> mask;
  if (firstColumn(r) != nullptr) {
    mask = evaluateCondition(ev.command, r, condition, ev.trace);
  }
  std::vector<Column *> targets =
      appendTargets(result, static_cast<std::size_t>(std::count(mask.begin(), mask.end(), true)));
  RowCursor source(r);
  for (bool keep : mask) {
    if (keep) {
      appendRow(targets, source);
    }
    source.advance();
  }
}
