// The backward walk of the command ring and the dispatch to the operators.
#include "exec/executor.h"

#include "exec/operators.h"

int executeCommands(Database &db) {
  CommandNode *head = db.commands;
  if (head->prev == nullptr) {
    return 0;
  }
  for (CommandNode *node = head->prev; node != head; node = node->prev) {
    switch (node->kind) {
    case kindUnion:
      evaluateUnion(db, *node);
      break;
    case kindMinus:
      evaluateMinus(db, *node);
      break;
    case kindProduct:
      evaluateProduct(db, *node);
      break;
    case kindProject:
      evaluateProject(db, *node);
      break;
    case kindRename:
      evaluateRename(db, *node);
      break;
    case kindSelect:
      evaluateSelect(db, *node);
      break;
    default:
      break; // conditions, literals and names are evaluated by their users
    }
  }
  return 0;
}
