// Errors for what stands where an operator or a condition belongs but is
// none: an unknown word (with the keyword it is near), a name, a literal.
#pragma once

#include "input/command.h"
#include "store/error.h"

// Without --extended (extended false), a word that names an extended
// operator says so.
InputError notAnOperator(const CommandNode &node, bool extended);
InputError notACondition(const CommandNode &node);
