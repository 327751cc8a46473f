// The memory budget of operator results, with the limit taken from the
// machine's memory.
#include "exec/memory_budget.h"

#include "platform/memory.h"
#include "store/error.h"

#include <algorithm>
#include <string>

namespace {

double defaultLimit() {
  double limit = 16.0 * 1024 * 1024 * 1024;
  double physical = physicalMemoryBytes();
  return physical > 0 ? std::min(limit, physical) : limit;
}

double memoryLimit = defaultLimit();

} // namespace

double resultMemoryLimit() { return memoryLimit; }

void setResultMemoryLimit(double bytes) { memoryLimit = bytes; }

void claimResultMemory(Evaluation &ev, const CommandNode &node, std::uint64_t rows, std::size_t columns,
                       double valueBytes) {
  double cells = static_cast<double>(rows) * static_cast<double>(columns);
  double estimate = cells * static_cast<double>(Column::bytesPerValue) + valueBytes;
  if (ev.claimedBytes + estimate > memoryLimit) {
    throw InputError("A(z) " + shownName(node.text) + " eredmenye tul nagy: " + std::to_string(rows) + " sor.",
                     node.line, node.column);
  }
  ev.claimedBytes += estimate;
  if (node.result != nullptr) {
    ev.claims[node.result] += estimate;
  }
}

void returnResultMemory(Evaluation &ev, const Table &result) {
  auto claim = ev.claims.find(&result);
  if (claim != ev.claims.end()) {
    ev.claimedBytes -= claim->second;
    ev.claims.erase(claim);
  }
}

double valueBytesOf(const Table &table) {
  double bytes = 0;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    bytes += static_cast<double>(c->valueBytes);
  }
  return bytes;
}
