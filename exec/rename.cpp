// rename(R, S(x, y, ...)): renames R and its columns in place and hands on the
// same relation. Columns beyond the list keep their own names.
#include "exec/operators.h"
#include "exec/rows.h"
#include "store/error.h"

void evaluateRename(Evaluation &ev, CommandNode &node) {
  Table &r = resolveOperand(ev, node, 1);
  node.result = &r;
  CommandNode &target = operandNode(ev, node, secondArg(node), 2);
  if (target.kind != NodeKind::otherWord && target.kind != NodeKind::name) {
    throw InputError("A(z) " + shownName(node.text) + " operator 2. operandusa nem uj nev.", target.line,
                     target.column);
  }
  ev.db.renameTable(r, target.text);
  if (target.kind == NodeKind::name) {
    return; // no column list: the relation's name alone changes
  }
  // The new column names: the target's first operand, then its moreArgs.
  int id = target.firstArg;
  auto rest = target.moreArgs.begin();
  for (Column *c = firstColumn(r); c != nullptr; c = c->next) {
    const CommandNode *name = ev.command.findNode(id);
    if (name == nullptr || name == ev.command.head()) {
      break;
    }
    c->name = name->text;
    if (rest == target.moreArgs.end()) {
      break;
    }
    id = rest->id;
    ++rest;
  }
}
