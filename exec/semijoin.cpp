// semijoin(R, S) and antijoin(R, S): R's rows, in R's order, with and
// without a row of S that agrees with them on every name the two share; S's
// rows are grouped by those values once.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/row_keys.h"
#include "exec/rows.h"

#include <vector>

void evaluateSemijoin(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &a = resolveOperand(ev, node, 1);
  Table &b = resolveOperand(ev, node, 2);
  bool keepMatched = node.kind == NodeKind::semijoinOp;
  SharedColumns shared = sharedColumns(a, b);
  RowKeys keysA(shared.inFirst, shared.numeric, rowCount(a));
  RowKeys keysB(shared.inSecond, shared.numeric, rowCount(b));
  KeyGroups groups(keysB);
  std::vector<std::uint32_t> kept;
  for (std::size_t i = 0; i < keysA.rows(); ++i) {
    if ((groups.find(keysA, i) != KeyGroups::none) == keepMatched) {
      kept.push_back(static_cast<std::uint32_t>(i));
    }
  }
  claimResultMemory(ev, node, kept.size(), columnCount(a), valueBytesOf(a));
  copyColumns(result, a);
  std::vector<Column *> targets = appendTargets(result, kept.size());
  std::size_t t = 0;
  for (const Column *c : columnsOf(a)) {
    for (std::uint32_t i : kept) {
      appendCell(*targets[t], *c, i);
    }
    ++t;
  }
}
