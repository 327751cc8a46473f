// The state of one evaluation of a command: the relations, the command tree,
// the memory budget of the results alive, and the recorder of an explanation,
// when one was asked for. The run that owns them outlives the evaluation.
#pragma once

#include "exec/memory_budget.h"
#include "input/command.h"
#include "store/database.h"

class ResultLifetimes;
class Trace;

struct Evaluation {
  Database &db;
  Command &command;
  MemoryBudget &budget;
  Trace *trace = nullptr;
  const ResultLifetimes *lifetimes = nullptr; // while the command is evaluated
};
