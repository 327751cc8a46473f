// What the explanation writers share: the words for node kinds, a node's
// operands, relation headers.
#pragma once

#include "diag/escape.h"
#include "exec/trace.h"
#include "input/command.h"
#include "store/table.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The keyword of an operator or condition; "literal", "name", or "word" for
// a word before '(' that is no keyword.
std::string_view kindWord(NodeKind kind);

// The ids of node's operands that name a node of the command (firstArg, then
// moreArgs), in order; an id may repeat.
std::vector<int> operandIds(const Command &command, const CommandNode &node);

// Per node id: whether the node stands where a relation is named (the root,
// an operator's first operand, the second of union, minus and product, the
// new name of a rename), so that a name there names a relation and a name
// elsewhere a column.
std::vector<bool> relationPlaces(const Command &command);

// name(column type, ...), as the output file writes a header.
std::string headerText(const TraceRelation &relation);

// "1 row", "3 rows".
std::string rowsText(std::size_t n);

// Milliseconds with three decimals, the form the golden tests mask.
std::string msText(double ms);

// What a join, semijoin, antijoin or divide matches rows on: the names its
// operands share ("id"), or for a join with a condition its equalities
// between a column of each operand under the top-level ANDs ("id = sid").
// Empty for the other operators, and where nothing is matched on.
std::vector<std::string> matchKeys(const Command &command, const TraceStep &step);
