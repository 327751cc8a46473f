// The relational operators; each evaluates one node into node.result.
#pragma once

#include "exec/evaluation.h"

void evaluateUnion(Evaluation &ev, CommandNode &node);
void evaluateMinus(Evaluation &ev, CommandNode &node);
void evaluateProduct(Evaluation &ev, CommandNode &node);
void evaluateProject(Evaluation &ev, CommandNode &node);
void evaluateRename(Evaluation &ev, CommandNode &node);
void evaluateSelect(Evaluation &ev, CommandNode &node);
// The operators of --extended.
void evaluateIntersect(Evaluation &ev, CommandNode &node);
void evaluateJoin(Evaluation &ev, CommandNode &node);
void evaluateSemijoin(Evaluation &ev, CommandNode &node); // semijoin and antijoin
void evaluateDivide(Evaluation &ev, CommandNode &node);
