// The condition evaluator: a select's condition tree into a row mask.
#pragma once

#include "input/command.h"
#include "store/table.h"

#include <vector>

// One boolean per row of relation for the condition rooted at root.
std::vector<bool> evaluateCondition(const Command &command, const Table &relation, const CommandNode &root);
