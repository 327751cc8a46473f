// rename(R, S(x, y, ...)): renames R and its columns in place and hands on the
// same relation. Columns beyond the list keep their own names.
#include "exec/operators.h"
#include "exec/rows.h"

#include <cassert>
#include <vector>

void evaluateRename(Evaluation &ev, CommandNode &node) {
  Table &r = resolveOperand(ev, node, 1);
  node.result = &r;
  CommandNode &target = operandNode(ev, node, secondArg(node), 2);
  assert((target.kind == NodeKind::otherWord || target.kind == NodeKind::name) && "the check found a new name");
  ev.db.renameTable(r, target.text);
  if (target.kind == NodeKind::name) {
    return; // no column list: the relation's name alone changes
  }
  // The new column names: the target's first operand, then its moreArgs.
  std::vector<const CommandNode *> names;
  for (int position = 1; const CommandNode *name = ev.command.findNode(operandId(target, position)); ++position) {
    if (name == ev.command.head()) {
      break;
    }
    names.push_back(name);
  }
  Column *c = firstColumn(r);
  for (std::size_t i = 0; c != nullptr && i < names.size(); ++i, c = c->next) {
    c->name = names[i]->text;
  }
}
