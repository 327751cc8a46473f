// The backward walk of the command ring and the dispatch to the operators.
#include "exec/executor.h"

#include "exec/lifetimes.h"
#include "exec/operators.h"
#include "exec/trace.h"
#include "store/error.h"

#include <string>

namespace {

void evaluateAll(Evaluation &run) {
  CommandNode *head = run.command.head();
  if (head->prev == nullptr) {
    return;
  }
  ResultLifetimes lifetimes(run.command);
  Evaluation ev = run;
  ev.lifetimes = &lifetimes;
  for (CommandNode *node = head->prev; node != head; node = node->prev) {
    if (ev.trace != nullptr) {
      ev.trace->operatorStarts(*node);
    }
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
    case NodeKind::intersectOp:
      evaluateIntersect(ev, *node);
      break;
    case NodeKind::joinOp:
      evaluateJoin(ev, *node);
      break;
    case NodeKind::semijoinOp:
    case NodeKind::antijoinOp:
      evaluateSemijoin(ev, *node);
      break;
    case NodeKind::divideOp:
      evaluateDivide(ev, *node);
      break;
    default:
      if (isRelational(node->kind)) {
        throw InternalError("no evaluator for " + std::string(factsOf(node->kind).word));
      }
      continue; // conditions, literals and names are evaluated by their users
    }
    if (ev.trace != nullptr) {
      ev.trace->operatorEnds(ev.command, *node);
    }
    // After the trace has copied what it shows of the operands.
    lifetimes.evaluated(ev, *node);
  }
}

} // namespace

void executeCommands(Evaluation &ev) {
  try {
    evaluateAll(ev);
  } catch (const ResultTooLarge &) {
    throw;
  } catch (const InputError &e) {
    // Every mistake of the input was the check's to find.
    throw InternalError("the check let a mistake through: " + e.message());
  }
}
