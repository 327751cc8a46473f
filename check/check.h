// The pass between reading and evaluating: every relation, column, operand
// and list of the command resolved against the relations' columns alone, so
// that a run fails before its first operator runs, naming every independent
// mistake at once.
#pragma once

#include "input/command.h"
#include "store/database.h"

// Notes the command's mistakes in command.errors (ErrorLimitReached ends the
// pass at the limit) and its doubtful but readable parts in command.warnings.
// db is read only: renames are followed on copies of its columns.
void checkCommand(const Database &db, Command &command);
