// The Database: the relations of the input file, the command ring, and the
// relations that operators create.
#pragma once

#include "input/command_node.h"
#include "store/table.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct Database {
  std::vector<Table *> tables; // owned, in file order
  CommandNode *commands;       // head of the command ring, owned with the ring

  // Not part of the ring's own structure: lookups that keep long commands and
  // many relations from making a run quadratic.
  std::vector<CommandNode *> nodeIndex; // node by id, filled by the tokenizer
  std::vector<Table *> results;         // operator results, owned
  double productBytes = 0;              // memory estimated for the products built so far

  Database();
  ~Database();
  Database(const Database &) = delete;
  Database &operator=(const Database &) = delete;

  // The node with this id, as a walk of the ring from the head's next would
  // find it (id 0 is the head); nullptr when no node holds the id.
  [[nodiscard]] CommandNode *findNode(int id) const;
  // The first relation of tables with exactly this name, or nullptr.
  Table *findTable(std::string_view name);
  // Renames a relation, keeping the name lookup consistent.
  void renameTable(Table &table, std::string name);
  // Takes ownership of an operator's result relation.
  Table *adoptResult(Table *table);

  // Appends one boolean per row of relation for the condition rooted at
  // nodeId.
  int evaluateCondition(Table &relation, int nodeId, std::vector<bool> &out);

private:
  void buildNameIndex();
  std::unordered_map<std::string, std::vector<std::size_t>> byName_;
  std::size_t indexedTables_ = 0;
};
