// The condition evaluator: a select's condition tree into a row mask.
#pragma once

#include "input/command.h"
#include "store/table.h"

#include <vector>

class Trace;

// One boolean per row of relation for the condition rooted at root; each
// condition node's mask is shown to trace, when there is one.
std::vector<bool> evaluateCondition(const Command &command, const Table &relation, const CommandNode &root,
                                    Trace *trace = nullptr);
