// The state of one evaluation of a command: the relations, the command tree,
// and what the operators built so far have claimed of the memory budget.
#pragma once

#include "input/command.h"
#include "store/database.h"

struct Evaluation {
  Database &db;
  Command &command;
  double productBytes = 0; // memory estimated for the products built so far
};
