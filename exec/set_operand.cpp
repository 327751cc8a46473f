// The check is one pass; only an operand that fails it is sorted, by the
// projection's ordering over all of its columns, so that operands already in
// order are merged exactly as they stand.
#include "exec/set_operand.h"

#include "exec/project_order.h"
#include "exec/rows.h"
#include "platform/threads.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

namespace {

// Whether each row from first on is less than the next, up to the pair that
// ends at last; stops early once another range has found a pair out of order.
bool ascendsOver(const Table &table, std::size_t first, std::size_t last, const std::atomic<bool> &failed) {
  RowCursor current(table);
  RowCursor next(table);
  current.row = first;
  for (next.row = first + 1; next.row < last; next.row = current.row + 1) {
    if (compareRows(current, next) >= 0) {
      return false;
    }
    if ((next.row & 0xFFFFU) == 0 && failed.load(std::memory_order_relaxed)) {
      return false;
    }
    // The next row becomes the current one with the numbers it converted.
    std::swap(current, next);
  }
  return true;
}

} // namespace

bool ascendsWithoutRepeats(const Table &table) {
  std::size_t rows = rowCount(table);
  std::atomic<bool> failed{false};
  // Ranges overlap by one row, so that every adjacent pair is checked once.
  std::size_t parts = std::min<std::size_t>(parallelism(), rows / (std::size_t{1} << 16));
  if (parts <= 1) {
    return ascendsOver(table, 0, rows, failed);
  }
  runParts(parts, [&](std::size_t part) {
    RowRange range = partOf(rows, parts, part);
    if (!ascendsOver(table, range.first, std::min(rows, range.last + 1), failed)) {
      failed = true;
    }
  });
  return !failed;
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
  input.columns = sources;
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
