// Finding a column by the name that the command writes, for projections and
// conditions alike.
#pragma once

#include "input/command.h"
#include "store/table.h"

#include <string_view>
#include <unordered_map>

// The columns of one relation by name, built once, so that naming k columns
// of a relation of m costs O(k + m), not O(k * m).
class ColumnIndex {
public:
  // qualified (--extended): a name that no column has may be R.a, column a
  // of the named relation R that the column came from.
  ColumnIndex(const Table &table, bool qualified);

  // The one column named by nameNode's text. An error at nameNode when no
  // column has that name (suggesting the nearest one) or more than one has.
  [[nodiscard]] const Column &find(const CommandNode &nameNode) const;
  [[nodiscard]] bool has(std::string_view name) const { return byName_.contains(name); }

private:
  // The one column that a qualified reading of name finds, nullptr for none.
  [[nodiscard]] const Column *findQualified(const CommandNode &nameNode) const;

  struct Entry {
    const Column *first;
    std::size_t count;
  };
  const Table &table_;
  bool qualified_;
  std::unordered_map<std::string_view, Entry> byName_;
};
