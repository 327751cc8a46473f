// The state of one evaluation of a command: the relations, the command tree,
// the memory budget of the results alive, and the recorder of an explanation,
// when one was asked for. The run that owns them outlives the evaluation.
#pragma once

#include "exec/memory_budget.h"
#include "input/command.h"
#include "store/database.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

class Trace;

// The first warning of one kind, and how many more of that kind followed.
struct WarnedKind {
  std::size_t index = 0; // in Command::warnings
  std::string message;   // as first given
  std::size_t more = 0;
};

struct Evaluation {
  Database &db;
  Command &command;
  MemoryBudget &budget;
  Trace *trace = nullptr;
  std::unordered_map<std::string_view, WarnedKind> warned{}; // by kind
};
