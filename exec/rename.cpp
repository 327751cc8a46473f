// rename(R, S(x, y, ...)): renames R and its columns in place and hands on the
// same relation. Columns beyond the list keep their own names.
#include "exec/operators.h"
#include "exec/rows.h"
#include "store/error.h"

void evaluateRename(Database &db, CommandNode &node) {
  Table &r = resolveOperand(db, node, 1);
  node.result = &r;
  CommandNode &target = operandNode(db, node, secondArg(node), 2);
  if (target.kind != kindOtherWord && target.kind != kindName) {
    throw InputError("A(z) " + node.text + " operator 2. operandusa nem uj nev.", target.line, target.column);
  }
  db.renameTable(r, target.text);
  if (target.kind == kindName) {
    return; // no column list: the relation's name alone changes
  }
  // The new column names: the target's first operand, then its moreArgs.
  int id = target.firstArg;
  const ArgLink *rest = target.moreArgs;
  for (Column *c = firstColumn(r); c != nullptr; c = c->next) {
    const CommandNode *name = db.findNode(id);
    if (name == nullptr || name == db.commands) {
      break;
    }
    c->name = name->text;
    if (rest == nullptr) {
      break;
    }
    id = rest->id;
    rest = rest->next;
  }
}
