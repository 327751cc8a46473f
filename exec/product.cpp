// product(A, B): filled column by column, A the outer loop and B the inner.
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"

#include <cstdint>
#include <string_view>
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

// A value kept aside (a long text) is repeated as a view of its own in every
// result row that holds it.
std::uint64_t asideBytes(const Operand &d, std::size_t repeats) {
  std::uint64_t views = 0;
  for (const Column *c : d.columns) {
    views = addBytes(views, c->outliers.size());
  }
  return timesBytes(timesBytes(views, repeats), sizeof(std::string_view));
}

} // namespace

void evaluateProduct(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &a = resolveOperand(ev, node, 1);
  Table &b = resolveOperand(ev, node, 2);
  Operand da = describe(a);
  Operand db2 = describe(b);
  // Only cells are made; the sources' bytes, once, stay in the claim as a margin.
  claimResultMemory(ev, node, timesBytes(da.rows, db2.rows), da.columns.size() + db2.columns.size(),
                    addBytes(addBytes(valueBytesOf(a), valueBytesOf(b)),
                             addBytes(asideBytes(da, db2.rows), asideBytes(db2, da.rows))));
  copyOperandColumns(result, a);
  copyOperandColumns(result, b);
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
