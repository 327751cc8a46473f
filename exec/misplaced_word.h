// Errors for what stands where an operator or a condition belongs but is
// none: an unknown word (with the keyword it is near), a name, a literal.
#pragma once

#include "input/command.h"

[[noreturn]] void rejectAsOperator(const CommandNode &node);
[[noreturn]] void rejectAsCondition(const CommandNode &node);

// The command's outermost word must be a relational operator.
void checkRoot(const Command &command);
