// The memory budget of operator results, with the limit taken from the
// machine's memory.
#include "exec/memory_budget.h"
#include "diag/messages.h"

#include "exec/evaluation.h"
#include "platform/memory.h"
#include "store/error.h"

#include <cassert>
#include <limits>
#include <string>

namespace {

constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();

} // namespace

std::uint64_t addBytes(std::uint64_t a, std::uint64_t b) { return a > most - b ? most : a + b; }

std::uint64_t timesBytes(std::uint64_t a, std::uint64_t b) { return b != 0 && a > most / b ? most : a * b; }

std::uint64_t defaultResultMemoryLimit() {
  std::uint64_t limit = std::uint64_t{16} << 30;
  double physical = physicalMemoryBytes();
  return physical > 0 && physical < static_cast<double>(limit) ? static_cast<std::uint64_t>(physical) : limit;
}

void claimResultMemory(Evaluation &ev, const CommandNode &node, std::uint64_t rows, std::size_t columns,
                       std::uint64_t valueBytes) {
  std::uint64_t cells = timesBytes(rows, columns);
  std::uint64_t estimate = addBytes(timesBytes(cells, Column::bytesPerValue), valueBytes);
  MemoryBudget &budget = ev.budget;
  if (addBytes(budget.claimed, estimate) > budget.limit) {
    throw ResultTooLarge(msg::resultTooLarge(node.text, rows), node.line, node.column);
  }
  budget.claimed += estimate;
  if (node.result != nullptr) {
    budget.claims[node.result] += estimate;
  }
}

void returnResultMemory(Evaluation &ev, const Table &result) {
  MemoryBudget &budget = ev.budget;
  auto claim = budget.claims.find(&result);
  if (claim != budget.claims.end()) {
    assert(claim->second <= budget.claimed);
    budget.claimed -= claim->second;
    budget.claims.erase(claim);
  }
}

std::uint64_t valueBytesOf(const Table &table) {
  std::uint64_t bytes = 0;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    bytes = addBytes(bytes, c->valueBytes);
  }
  return bytes;
}
