// The six relational operators; each evaluates one node into node.result.
#pragma once

#include "store/database.h"

void evaluateUnion(Database &db, CommandNode &node);
void evaluateMinus(Database &db, CommandNode &node);
void evaluateProduct(Database &db, CommandNode &node);
void evaluateProject(Database &db, CommandNode &node);
void evaluateRename(Database &db, CommandNode &node);
void evaluateSelect(Database &db, CommandNode &node);
