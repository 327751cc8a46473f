// select(R, condition): the rows of R whose element of the row mask is true.
#include "exec/condition.h"
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/rows.h"
#include "platform/threads.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace {

// The kept rows' cells placed by row ranges on the run's threads, each range
// at the place the rows before it leave. Only where every cell is copied as
// it stands (same base, no text kept aside), which the serial appendCell
// would do too; false, nothing done, otherwise.
bool copyKeptInParallel(const std::vector<Column *> &targets, const Table &r, const std::vector<bool> &mask,
                        std::size_t kept) {
  constexpr std::size_t align = 4096;
  std::size_t rows = mask.size();
  std::size_t parts = std::min<std::size_t>(parallelism(), rows / (16 * align));
  if (parts <= 1) {
    return false;
  }
  std::vector<const Column *> sources;
  for (const Column *c = firstColumn(r); c != nullptr; c = c->next) {
    const Column &target = *targets[sources.size()];
    if (!c->outliers.empty() || c->base != target.base || c->size() != rows || target.size() != 0) {
      return false;
    }
    sources.push_back(c);
  }
  std::vector<std::size_t> starts(parts + 1, 0);
  runParts(parts, [&](std::size_t part) {
    RowRange range = partOf(rows, parts, part, align);
    starts[part + 1] =
        static_cast<std::size_t>(std::count(mask.begin() + static_cast<std::ptrdiff_t>(range.first),
                                            mask.begin() + static_cast<std::ptrdiff_t>(range.last), true));
  });
  for (std::size_t part = 0; part < parts; ++part) {
    starts[part + 1] += starts[part];
  }
  assert(starts[parts] == kept);
  for (Column *t : targets) {
    t->offsets.resize(kept);
    t->lengths.resize(kept);
  }
  std::vector<std::size_t> bytes(parts * sources.size(), 0);
  runParts(parts, [&](std::size_t part) {
    RowRange range = partOf(rows, parts, part, align);
    for (std::size_t col = 0; col < sources.size(); ++col) {
      const Column &source = *sources[col];
      Column &target = *targets[col];
      std::size_t at = starts[part];
      std::size_t sum = 0;
      for (std::size_t row = range.first; row < range.last; ++row) {
        if (mask[row]) {
          target.offsets[at] = source.offsets[row];
          target.lengths[at] = source.lengths[row];
          sum += source.lengths[row];
          ++at;
        }
      }
      bytes[part * sources.size() + col] = sum;
    }
  });
  for (std::size_t part = 0; part < parts; ++part) {
    for (std::size_t col = 0; col < sources.size(); ++col) {
      targets[col]->valueBytes += bytes[part * sources.size() + col];
    }
  }
  return true;
}

} // namespace

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
  auto kept = static_cast<std::size_t>(std::count(mask.begin(), mask.end(), true));
  std::vector<Column *> targets = appendTargets(result, kept);
  if (copyKeptInParallel(targets, r, mask, kept)) {
    return;
  }
  RowCursor source(r);
  for (bool keep : mask) {
    if (keep) {
      appendRow(targets, source);
    }
    source.advance();
  }
}
