// divide(R, S): the values of R's other columns (those S lacks) that stand in
// R with every row of S. R's rows are grouped by those values and S's rows by
// all of theirs; a group qualifies when its rows meet every group of S. With
// S empty every group qualifies, as the definition gives. The result ascends
// without repeats.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/row_keys.h"
#include "exec/rows.h"

#include <vector>

void evaluateDivide(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &r = resolveOperand(ev, node, 1);
  Table &s = resolveOperand(ev, node, 2);
  SharedColumns shared = sharedColumns(r, s);
  const std::vector<const Column *> &quotient = shared.onlyInFirst;
  std::uint64_t valueBytes = 0;
  for (const Column *c : quotient) {
    valueBytes = addBytes(valueBytes, c->valueBytes);
    copyColumn(result, *c, qualifierOf(r, *c));
  }
  claimResultMemory(ev, node, rowCount(r), quotient.size(), valueBytes);
  if (quotient.empty()) {
    return; // no columns, no rows
  }
  std::size_t rows = rowCount(r);
  RowKeys divisor(shared.inSecond, shared.numeric, rowCount(s));
  KeyGroups divisorRows(divisor);
  RowKeys divisorPart(shared.inFirst, shared.numeric, rows);
  std::vector<bool> numeric;
  numeric.reserve(quotient.size());
  for (const Column *c : quotient) {
    numeric.push_back(c->width == 0);
  }
  RowKeys quotientPart(quotient, numeric, rows);
  KeyGroups candidates(quotientPart);
  // met[d] is the last candidate (plus one) whose rows met divisor row d.
  std::vector<std::size_t> met(divisorRows.count(), 0);
  std::vector<std::size_t> qualified; // a row of R for each qualified candidate
  for (std::size_t g = 0; g < candidates.count(); ++g) {
    std::size_t metCount = 0;
    for (std::uint32_t i : candidates.rowsOf(g)) {
      std::size_t d = divisorRows.find(divisorPart, i);
      if (d != KeyGroups::none && met[d] != g + 1) {
        met[d] = g + 1;
        ++metCount;
      }
    }
    if (metCount == divisorRows.count()) {
      qualified.push_back(candidates.rowsOf(g).front());
    }
  }
  appendDistinctAscending(result, quotient, qualified);
}
