// rename(R, S(x, y, ...)): renames R and its columns in place and hands on the
// same relation. Columns beyond the list keep their own names.
#include "exec/operators.h"
#include "exec/rows.h"
#include "store/error.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

// A list that does not match the relation still renames what it can, as it
// always has; the user hears of the names left out or left over.
void warnAboutNames(Evaluation &ev, const CommandNode &target, const Table &r,
                    const std::vector<const CommandNode *> &names) {
  std::size_t columns = columnCount(r);
  if (names.size() > columns) {
    const CommandNode &extra = *names[columns];
    warnOnce(ev, "rename surplus",
             {"a(z) " + shownName(target.text) + " " + std::to_string(names.size()) + " nevet ad " +
                  std::to_string(columns) + " oszlopnak: a(z) " + shownName(extra.text) + " es a tobbi kimarad.",
              extra.line, extra.column});
  } else if (!names.empty() && names.size() < columns) {
    warnOnce(ev, "rename short",
             {"a(z) " + shownName(target.text) + " csak " + std::to_string(names.size()) + " nevet ad " +
                  std::to_string(columns) + " oszlopnak: a tobbi oszlop megtartja a nevet.",
              target.line, target.column});
  }
  std::unordered_set<std::string_view> seen;
  for (std::size_t i = 0; i < names.size() && i < columns; ++i) {
    warnIfQuoted(ev, *names[i]);
    if (!seen.insert(names[i]->text).second) {
      warnOnce(ev, "rename repeat",
               {"a(z) " + shownName(names[i]->text) + " nev masodszor is szerepel.", names[i]->line, names[i]->column});
    }
  }
}

} // namespace

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
  std::vector<const CommandNode *> names;
  for (int position = 1; const CommandNode *name = ev.command.findNode(operandId(target, position)); ++position) {
    if (name == ev.command.head()) {
      break;
    }
    names.push_back(name);
  }
  warnAboutNames(ev, target, r, names);
  Column *c = firstColumn(r);
  for (std::size_t i = 0; c != nullptr && i < names.size(); ++i, c = c->next) {
    c->name = names[i]->text;
  }
}
