// Test helpers: load a whole input text into a Database.
#pragma once

#include "input/char_stream.h"
#include "input/reader.h"
#include "store/database.h"

#include <string>
#include <string_view>
#include <vector>

inline void loadText(Database &db, std::string_view text) {
  CharStream in(text);
  loadFrom(db, in);
}

// The values of one column, in row order.
inline std::vector<std::string> columnValues(const Column &column) {
  std::vector<std::string> values;
  for (const Cell *c = column.cells->next; c != nullptr; c = c->next) {
    values.emplace_back(c->value);
  }
  return values;
}
