// Column lookup by name. After a product of relations that share a column
// name, the name alone cannot tell which column is meant: that is an error
// rather than a silent choice of the first.
#include "exec/columns.h"

#include "input/near_name.h"
#include "store/error.h"

#include <string>
#include <string_view>
#include <vector>

const Column &findColumn(const Table &table, const CommandNode &nameNode) {
  const Column *found = nullptr;
  std::size_t count = 0;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    if (c->name == nameNode.text) {
      found = found != nullptr ? found : c;
      ++count;
    }
  }
  if (count > 1) {
    throw InputError("A(z) " + shownName(nameNode.text) + " oszlop nem egyertelmu: " + std::to_string(count) +
                         " oszlopnak is ez a neve.",
                     nameNode.line, nameNode.column);
  }
  if (found == nullptr) {
    std::vector<std::string_view> names;
    for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
      names.emplace_back(c->name);
    }
    throw InputError("A(z) " + shownName(nameNode.text) + " oszlop nem letezik." + suggestion(nameNode.text, names),
                     nameNode.line, nameNode.column);
  }
  return *found;
}
