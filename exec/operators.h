// The six relational operators; each evaluates one node into node.result.
#pragma once

#include "exec/evaluation.h"

void evaluateUnion(Evaluation &ev, CommandNode &node);
void evaluateMinus(Evaluation &ev, CommandNode &node);
void evaluateProduct(Evaluation &ev, CommandNode &node);
void evaluateProject(Evaluation &ev, CommandNode &node);
void evaluateRename(Evaluation &ev, CommandNode &node);
void evaluateSelect(Evaluation &ev, CommandNode &node);
