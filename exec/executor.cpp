// The backward walk of the command ring and the dispatch to the operators.
#include "exec/executor.h"

#include "exec/misplaced_word.h"
#include "exec/operators.h"

void executeCommands(Evaluation &ev) {
  checkRoot(ev.command);
  CommandNode *head = ev.command.head();
  if (head->prev == nullptr) {
    return;
  }
  for (CommandNode *node = head->prev; node != head; node = node->prev) {
    switch (node->kind) {
    case NodeKind::unionOp:
      evaluateUnion(ev, *node);
      break;
    case NodeKind::minusOp:
      evaluateMinus(ev, *node);
      break;
    case NodeKind::productOp:
      evaluateProduct(ev, *node);
      break;
    case NodeKind::projectOp:
      evaluateProject(ev, *node);
      break;
    case NodeKind::renameOp:
      evaluateRename(ev, *node);
      break;
    case NodeKind::selectOp:
      evaluateSelect(ev, *node);
      break;
    default:
      break; // conditions, literals and names are evaluated by their users
    }
  }
}
