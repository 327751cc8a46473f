// product(A, B): filled column by column, A the outer loop and B the inner.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"

#include <cstdint>
#include <vector>

namespace {

struct Operand {
  std::vector<const Column *> columns;
  std::size_t rows = 0;
};

Operand describe(const Table &table) {
  Operand d;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    d.columns.push_back(c);
  }
  d.rows = rowCount(table);
  return d;
}

} // namespace

void evaluateProduct(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &a = resolveOperand(ev, node, 1);
  Table &b = resolveOperand(ev, node, 2);
  Operand da = describe(a);
  Operand db2 = describe(b);
  // Only cells are made; the sources' bytes, once, stay in the claim as a margin.
  claimResultMemory(ev, node, std::uint64_t{da.rows} * db2.rows, da.columns.size() + db2.columns.size(),
                    valueBytesOf(a) + valueBytesOf(b));
  copyColumns(result, a);
  copyColumns(result, b);
  std::vector<Column *> targets = appendTargets(result, da.rows * db2.rows);
  std::size_t t = 0;
  // Result cells repeat their sources' cells: A's each row of B times over,
  // B's whole once per row of A. No text is copied.
  for (const Column *c : da.columns) {
    Column &target = *targets[t++];
    for (std::size_t i = 0; i < da.rows; ++i) {
      for (std::size_t j = 0; j < db2.rows; ++j) {
        appendCell(target, *c, i);
      }
    }
  }
  for (const Column *c : db2.columns) {
    Column &target = *targets[t++];
    for (std::size_t i = 0; i < da.rows; ++i) {
      for (std::size_t j = 0; j < db2.rows; ++j) {
        appendCell(target, *c, j);
      }
    }
  }
}
