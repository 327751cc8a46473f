// What the explanation writers share: the words for node kinds, a node's
// operands, relation headers.
#pragma once

#include "exec/trace.h"
#include "input/command.h"
#include "store/escape.h"
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

// name(column type, ...), as the output file writes a header.
std::string headerText(const TraceRelation &relation);

// "1 row", "3 rows".
std::string rowsText(std::size_t n);

// Milliseconds with three decimals, the form the golden tests mask.
std::string msText(double ms);
