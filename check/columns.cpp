// Column lookup by name. After a product of relations that share a column
// name, the name alone cannot tell which column is meant: that is an error
// rather than a silent choice of the first.
#include "check/columns.h"
#include "diag/messages.h"

#include "diag/near_name.h"
#include "store/error.h"

#include <string>
#include <vector>

ColumnIndex::ColumnIndex(const Table &table, bool qualified) : table_(table), qualified_(qualified) {
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
    if (const Column *found = qualified_ ? findQualified(nameNode) : nullptr) {
      return *found;
    }
    std::vector<std::string_view> names;
    bool qualifiers = false;
    std::string_view text = nameNode.text;
    for (const Column *c = firstColumn(table_); c != nullptr; c = c->next) {
      names.emplace_back(c->name);
      std::string_view q = qualifierOf(table_, *c);
      qualifiers = qualifiers || (!q.empty() && text.starts_with(q) && text.size() > q.size() && text[q.size()] == '.');
    }
    std::string hint = suggestion(nameNode.text, names);
    std::size_t dot = text.find('.');
    if (qualified_ && !qualifiers && dot != std::string_view::npos && dot > 0) {
      hint += msg::qualifierUnknown(text.substr(0, dot));
    }
    throw InputError(msg::columnMissing(nameNode.text, hint), nameNode.line, nameNode.column);
  }
  return *entry->second.first;
}

// R.a is tried at every '.', as names may hold one: the first reading that
// finds a column decides.
const Column *ColumnIndex::findQualified(const CommandNode &nameNode) const {
  std::string_view text = nameNode.text;
  for (std::size_t dot = text.find('.'); dot != std::string_view::npos; dot = text.find('.', dot + 1)) {
    std::string_view qualifier = text.substr(0, dot);
    std::string_view name = text.substr(dot + 1);
    const Column *found = nullptr;
    std::size_t count = 0;
    for (const Column *c = firstColumn(table_); c != nullptr; c = c->next) {
      if (c->name == name && qualifierOf(table_, *c) == qualifier) {
        found = found == nullptr ? c : found;
        ++count;
      }
    }
    if (count > 1) {
      throw InputError(msg::columnAmbiguous(nameNode.text, count), nameNode.line, nameNode.column);
    }
    if (found != nullptr) {
      return found;
    }
  }
  return nullptr;
}
