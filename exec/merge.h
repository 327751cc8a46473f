// What union and difference share: operands of one width.
#pragma once

#include "store/database.h"

// Throws unless a and b have the same number of columns.
void requireSameColumnCount(const CommandNode &op, const Table &a, const Table &b);
