// Column lookup by name. After a product of relations that share a column
// name, the name alone cannot tell which column is meant: that is an error
// rather than a silent choice of the first.
#include "check/columns.h"
#include "diag/messages.h"

#include "diag/near_name.h"
#include "store/error.h"

#include <string>
#include <vector>

ColumnIndex::ColumnIndex(const Table &table) : table_(table) {
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    auto [entry, added] = byName_.try_emplace(c->name, Entry{c, 1});
    if (!added) {
      ++entry->second.count;
    }
  }
}

const Column &ColumnIndex::find(const CommandNode &nameNode) const {
  auto entry = byName_.find(nameNode.text);
  if (entry != byName_.end() && entry->second.count > 1) {
    throw InputError(msg::columnAmbiguous(nameNode.text, entry->second.count), nameNode.line, nameNode.column);
  }
  if (entry == byName_.end()) {
    std::vector<std::string_view> names;
    for (const Column *c = firstColumn(table_); c != nullptr; c = c->next) {
      names.emplace_back(c->name);
    }
    throw InputError(msg::columnMissing(nameNode.text, suggestion(nameNode.text, names)), nameNode.line,
                     nameNode.column);
  }
  return *entry->second.first;
}
