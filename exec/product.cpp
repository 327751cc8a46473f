// product(A, B): filled column by column, A the outer loop and B the inner.
// A result that could not fit in memory, together with the products built
// before it, is refused before it is built.
#include "exec/operators.h"
#include "exec/product_limit.h"
#include "exec/rows.h"
#include "platform/memory.h"
#include "store/error.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Beyond this estimate the machine would run out of memory long before the
// result is written; refusing early beats being killed by the system.
double defaultLimit() {
  double limit = 16.0 * 1024 * 1024 * 1024;
  double physical = physicalMemoryBytes();
  return physical > 0 ? std::min(limit, physical) : limit;
}

double memoryLimit = defaultLimit();

struct Operand {
  std::vector<const Column *> columns;
  std::size_t rows = 0;
  double valueBytes = 0; // text bytes of all values
};

Operand describe(const Table &table) {
  Operand d;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    d.columns.push_back(c);
  }
  d.rows = rowCount(table);
  for (const Column *c : d.columns) {
    for (const Cell *cell = c->cells->next; cell != nullptr; cell = cell->next) {
      d.valueBytes += static_cast<double>(cell->value.size());
    }
  }
  return d;
}

// Products add up: each of product(product(R, R), product(R, R))'s inner
// products may fit while both together do not.
void refuseIfTooLarge(Evaluation &ev, const CommandNode &node, const Operand &a, const Operand &b) {
  double rows = static_cast<double>(a.rows) * static_cast<double>(b.rows);
  double cells = rows * static_cast<double>(a.columns.size() + b.columns.size());
  double estimate = cells * static_cast<double>(sizeof(Cell)) + a.valueBytes + b.valueBytes;
  if (ev.productBytes + estimate > memoryLimit) {
    throw InputError("A(z) " + node.text + " eredmenye tul nagy: " +
                         std::to_string(static_cast<unsigned long long>(a.rows) * b.rows) + " sor.",
                     node.line, node.column);
  }
  ev.productBytes += estimate;
}

} // namespace

double productMemoryLimit() { return memoryLimit; }

void setProductMemoryLimit(double bytes) { memoryLimit = bytes; }

void evaluateProduct(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &a = resolveOperand(ev, node, 1);
  Table &b = resolveOperand(ev, node, 2);
  Operand da = describe(a);
  Operand db2 = describe(b);
  refuseIfTooLarge(ev, node, da, db2);
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
