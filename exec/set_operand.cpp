// The check is one pass; only an operand that fails it is sorted, by the
// projection's ordering over all of its columns, so that operands already in
// order are merged exactly as they stand.
#include "exec/set_operand.h"

#include "exec/project_order.h"
#include "exec/rows.h"

#include <utility>
#include <vector>

bool ascendsWithoutRepeats(const Table &table) {
  RowCursor current(table);
  RowCursor next(table);
  next.advance();
  for (; !next.exhausted(); next.row = current.row + 1) {
    if (compareRows(current, next) >= 0) {
      return false;
    }
    // The next row becomes the current one with the numbers it converted.
    std::swap(current, next);
  }
  return true;
}

SetOperand::SetOperand(const Table &table) : table_(table) {
  if (ascendsWithoutRepeats(table)) {
    return;
  }
  ProjectionInput input;
  std::vector<const Column *> sources;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    sources.push_back(c);
    input.widths.push_back(c->width);
  }
  input.rows = rowCount(table);
  input.value = [&](std::size_t column, std::size_t row) { return sources[column]->value(row); };
  std::vector<std::size_t> order = projectionOrder(input);
  // The copy's cells view the operand's texts, as the result's will: this
  // copy goes with the operator, the texts do not.
  copy_ = std::make_unique<Table>(table.name);
  copyColumns(*copy_, table);
  std::vector<Column *> targets = appendTargets(*copy_, order.size());
  for (std::size_t col = 0; col < targets.size(); ++col) {
    for (std::size_t row : order) {
      appendCell(*targets[col], *sources[col], row);
    }
  }
}
