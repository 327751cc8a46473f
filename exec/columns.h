// Finding a column by the name that the command writes, for projections and
// conditions alike.
#pragma once

#include "input/command.h"
#include "store/table.h"

// The one column of table named by nameNode's text. An error at nameNode when
// no column has that name (suggesting the nearest one) or more than one has.
const Column &findColumn(const Table &table, const CommandNode &nameNode);
