// The command line: tokens into the ring of CommandNodes, then evaluation order.
#pragma once

#include "input/char_stream.h"
#include "input/command.h"

#include <string_view>
#include <vector>

// Consumes the first line (to its newline outside a literal, or the end of
// the input), links one node per token behind the head, closes the ring and
// runs orderCommands.
void parseCommand(Command &command, CharStream &in);

// Moves the second operand of every union, minus or product whose two
// operands are both such operators directly before its first operand, so that
// the backward walk of the executor meets them in order.
void orderCommands(Command &command);
