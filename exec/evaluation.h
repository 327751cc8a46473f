// The state of one evaluation of a command: the relations, the command tree,
// what the results alive have claimed of the memory budget, and the
// recorder of an explanation, when one was asked for.
#pragma once

#include "input/command.h"
#include "store/database.h"

#include <unordered_map>

class Trace;

struct Evaluation {
  Database &db;
  Command &command;
  double claimedBytes = 0;                            // by the results alive
  std::unordered_map<const Table *, double> claims{}; // by each result
  Trace *trace = nullptr;
};
