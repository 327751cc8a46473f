// intersect(A, B): A's rows that B holds, found by hashing B's rows, then in
// ascending order without repeats; of equal rows A's first is kept.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/row_keys.h"
#include "exec/rows.h"

#include <vector>

void evaluateIntersect(Evaluation &ev, CommandNode &node) {
  auto [result, first, second] = openMerge(ev, node);
  claimResultMemory(ev, node, rowCount(first), columnCount(first), valueBytesOf(first));
  std::vector<const Column *> fromA = columnsOf(first);
  std::vector<bool> numeric;
  numeric.reserve(fromA.size());
  for (const Column *c : fromA) {
    numeric.push_back(c->width == 0);
  }
  RowKeys keysA(fromA, numeric, rowCount(first));
  RowKeys keysB(columnsOf(second), numeric, rowCount(second));
  KeyGroups groups(keysB);
  std::vector<std::size_t> held;
  for (std::size_t i = 0; i < keysA.rows(); ++i) {
    if (groups.find(keysA, i) != KeyGroups::none) {
      held.push_back(i);
    }
  }
  appendDistinctAscending(result, fromA, held);
}
