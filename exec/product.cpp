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
  // Each source value is copied once: its bytes, not its repeats, are claimed.
  claimResultMemory(ev, node, std::uint64_t{da.rows} * db2.rows, da.columns.size() + db2.columns.size(),
                    valueBytesOf(a) + valueBytesOf(b));
  copyColumns(result, a);
  copyColumns(result, b);
  std::vector<Column *> targets = appendTargets(result);
  std::size_t t = 0;
  // Each source value is copied into the result once; its repeated cells
  // share that copy, which belongs to the result alone.
  for (const Column *c : da.columns) {
    Column &target = *targets[t++];
    for (const Cell *cell = c->cells->next; cell != nullptr; cell = cell->next) {
      std::string_view copy = result.arena.copy(cell->value);
      for (std::size_t j = 0; j < db2.rows; ++j) {
        appendStored(result, target, copy);
      }
    }
  }
  for (const Column *c : db2.columns) {
    Column &target = *targets[t++];
    std::vector<std::string_view> copies;
    for (const Cell *cell = c->cells->next; cell != nullptr; cell = cell->next) {
      copies.push_back(result.arena.copy(cell->value));
    }
    for (std::size_t i = 0; i < da.rows; ++i) {
      for (std::string_view copy : copies) {
        appendStored(result, target, copy);
      }
    }
  }
}
