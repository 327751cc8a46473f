// The state of one evaluation of a command: the relations, the command tree,
// and what the results alive have claimed of the memory budget.
#pragma once

#include "input/command.h"
#include "store/database.h"

#include <unordered_map>

struct Evaluation {
  Database &db;
  Command &command;
  double claimedBytes = 0;                            // by the results alive
  std::unordered_map<const Table *, double> claims{}; // by each result
};
