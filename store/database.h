// The Database: the relations of the input file and the relations that
// operators create, with a lookup by name that stays right across renames.
#pragma once

#include "store/table.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct Database {
  std::vector<std::unique_ptr<Table>> tables;  // in file order
  std::vector<std::unique_ptr<Table>> results; // operator results still alive, in no order

  // The first relation of tables with exactly this name, or nullptr.
  Table *findTable(std::string_view name);
  // Renames a relation, keeping the name lookup consistent.
  void renameTable(Table &table, std::string name);
  // Takes ownership of an operator's result relation.
  Table &adoptResult(std::unique_ptr<Table> table);
  // Frees an operator's result; false when table is no result (a relation
  // of the file, which lives as long as the Database).
  bool releaseResult(const Table &table);

private:
  void buildNameIndex();
  std::unordered_map<const Table *, std::size_t> resultSlot_;
  std::unordered_map<std::string, std::vector<std::size_t>> byName_;
  std::size_t indexedTables_ = 0;
};
