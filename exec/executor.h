// The executor: evaluates the command ring into result relations.
#pragma once

#include "store/database.h"

// Walks the ring backwards from the head's prev, so that every operand is
// evaluated before the operator that uses it.
int executeCommands(Database &db);
