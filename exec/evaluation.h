// The state of one evaluation of a command: the relations, the command tree,
// what the operators built so far have claimed of the memory budget, and the
// recorder of an explanation, when one was asked for.
#pragma once

#include "input/command.h"
#include "store/database.h"

class Trace;

struct Evaluation {
  Database &db;
  Command &command;
  double productBytes = 0; // memory estimated for the products built so far
  Trace *trace = nullptr;
};
