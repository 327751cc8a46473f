// Database lifetime and its lookups by id and by name.
#include "store/database.h"

#include <algorithm>

Database::Database() : commands(new CommandNode{}) {}

Database::~Database() {
  // Open the ring into a chain (it may never have been closed) and free it.
  if (commands->prev != nullptr) {
    commands->prev->next = nullptr;
  }
  CommandNode *node = commands;
  while (node != nullptr) {
    CommandNode *next = node->next;
    ArgLink *link = node->moreArgs;
    while (link != nullptr) {
      ArgLink *following = link->next;
      delete link;
      link = following;
    }
    delete node;
    node = next;
  }
  for (Table *table : tables) {
    destroyTable(table);
  }
  for (Table *table : results) {
    destroyTable(table);
  }
}

CommandNode *Database::findNode(int id) const {
  if (id == 0) {
    return commands;
  }
  if (id < 0 || static_cast<std::size_t>(id) >= nodeIndex.size()) {
    return nullptr;
  }
  return nodeIndex[static_cast<std::size_t>(id)];
}

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
  return tables[it->second.front()];
}

void Database::renameTable(Table &table, std::string name) {
  buildNameIndex();
  auto old = byName_.find(table.name);
  if (old != byName_.end()) {
    auto &positions = old->second;
    auto pos = std::find_if(positions.begin(), positions.end(), [&](std::size_t i) { return tables[i] == &table; });
    if (pos != positions.end()) {
      std::size_t index = *pos;
      positions.erase(pos);
      auto &fresh = byName_[name];
      fresh.insert(std::lower_bound(fresh.begin(), fresh.end(), index), index);
    }
  }
  table.name = std::move(name);
}

Table *Database::adoptResult(Table *table) {
  try {
    results.push_back(table);
  } catch (...) {
    destroyTable(table);
    throw;
  }
  return table;
}
