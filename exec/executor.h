// The executor: evaluates the command ring into result relations.
#pragma once

#include "exec/evaluation.h"

// Walks the ring backwards from the head's prev, so that every operand is
// evaluated before the operator that uses it.
void executeCommands(Evaluation &ev);
