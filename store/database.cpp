// The Database's lookup of relations by name.
#include "store/database.h"

#include <algorithm>

void Database::buildNameIndex() {
  for (; indexedTables_ < tables.size(); ++indexedTables_) {
    byName_[tables[indexedTables_]->name].push_back(indexedTables_);
  }
}

Table *Database::findTable(std::string_view name) {
  buildNameIndex();
  auto it = byName_.find(std::string(name));
  if (it == byName_.end() || it->second.empty()) {
    return nullptr;
  }
  return tables[it->second.front()].get();
}

void Database::renameTable(Table &table, std::string name) {
  buildNameIndex();
  auto old = byName_.find(table.name);
  if (old != byName_.end()) {
    auto &positions = old->second;
    auto pos =
        std::find_if(positions.begin(), positions.end(), [&](std::size_t i) { return tables[i].get() == &table; });
    if (pos != positions.end()) {
      std::size_t index = *pos;
      positions.erase(pos);
      auto &fresh = byName_[name];
      fresh.insert(std::lower_bound(fresh.begin(), fresh.end(), index), index);
    }
  }
  table.name = std::move(name);
}

Table &Database::adoptResult(std::unique_ptr<Table> table) {
  const Table *raw = table.get();
  resultSlot_.emplace(raw, results.size());
  try {
    return *results.emplace_back(std::move(table));
  } catch (...) {
    resultSlot_.erase(raw);
    throw;
  }
}

bool Database::releaseResult(const Table &table) {
  auto slot = resultSlot_.find(&table);
  if (slot == resultSlot_.end()) {
    return false;
  }
  // The last result takes the freed slot, so that releasing stays O(1).
  std::size_t index = slot->second;
  resultSlot_.erase(slot);
  if (index + 1 != results.size()) {
    results[index] = std::move(results.back());
    resultSlot_[results[index].get()] = index;
  }
  results.pop_back();
  return true;
}
