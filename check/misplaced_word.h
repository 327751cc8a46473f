// Errors for what stands where an operator or a condition belongs but is
// none: an unknown word (with the keyword it is near), a name, a literal.
#pragma once

#include "input/command.h"
#include "store/error.h"

InputError notAnOperator(const CommandNode &node);
InputError notACondition(const CommandNode &node);
