// Test helpers: load a whole input text into a Database and its Command.
#pragma once

#include "exec/evaluation.h"
#include "input/reader.h"
#include "store/database.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

// What one run holds: the relations, the command, and its evaluation state.
struct Loaded {
  std::deque<std::string> texts; // the relations' values are views into these
  Database db;
  Command command;
  MemoryBudget budget;
  Evaluation ev{db, command, budget};

  [[nodiscard]] Table *rootResult() const { return command.root()->result; }
};

// Loads text; the first mistake found, if any, is thrown.
inline void loadText(Loaded &run, std::string_view text) {
  loadFrom(run.db, run.command, run.texts.emplace_back(text));
  if (!run.command.errors.empty()) {
    const Warning &first = run.command.errors.front();
    throw InputError(first.message, first.line, first.column);
  }
}

// The values of one column, in row order.
inline std::vector<std::string> columnValues(const Column &column) {
  std::vector<std::string> values;
  for (std::size_t row = 0; row < column.size(); ++row) {
    values.emplace_back(column.value(row));
  }
  return values;
}
