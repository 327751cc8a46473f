// project(R, c1, c2, ...): the named columns in the named order, rows in
// ascending order, of each group of equal rows the first in R's order:
// hashing the rows finds those firsts, and only they are sorted.
#include "exec/columns.h"
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/project_order.h"
#include "exec/rows.h"
#include "exec/wording.h"
#include "store/error.h"

#include <unordered_set>
#include <vector>

void evaluateProject(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &r = resolveOperand(ev, node, 1);
  if (node.moreArgs.empty()) {
    throw InputError("A(z) " + shownName(node.text) + " operatornak hianyzik " + withArticle(2) + " operandusa.",
                     node.line, node.column);
  }
  std::vector<const Column *> sources;
  int position = 2;
  ColumnIndex columns(r);
  std::unordered_set<const Column *> seen;
  const CommandNode *firstRepeat = nullptr;
  std::size_t repeats = 0;
  for (const ArgLink &link : node.moreArgs) {
    const CommandNode &name = operandNode(ev, node, link.id, position++);
    warnIfQuoted(ev, name);
    sources.push_back(&columns.find(name));
    if (!seen.insert(sources.back()).second && repeats++ == 0) {
      firstRepeat = &name;
    }
  }
  if (firstRepeat != nullptr) {
    // One line for the whole list, which may repeat a column a million times.
    std::string more = repeats > 1 ? " (es meg " + std::to_string(repeats - 1) + " ismetles)" : "";
    warnOnce(ev, "project repeat",
             {"a(z) " + shownName(firstRepeat->text) + " oszlop masodszor is szerepel: az eredmenyben ketszer lesz" +
                  more + ".",
              firstRepeat->line, firstRepeat->column});
  }
  std::uint64_t valueBytes = 0;
  for (const Column *c : sources) {
    valueBytes = addBytes(valueBytes, c->valueBytes);
  }
  claimResultMemory(ev, node, rowCount(r), sources.size(), valueBytes);
  ProjectionInput input;
  Column *last = result.schema;
  for (const Column *c : sources) {
    last = linkColumn(last, createColumn(result, c->name, c->width));
    last->base = c->base;
    input.widths.push_back(c->width);
  }
  input.rows = rowCount(r);
  input.value = [&](std::size_t column, std::size_t row) { return sources[column]->value(row); };
  std::vector<std::size_t> order = projectionOrder(input);
  std::vector<Column *> targets = appendTargets(result, order.size());
  for (std::size_t col = 0; col < targets.size(); ++col) {
    for (std::size_t row : order) {
      appendCell(*targets[col], *sources[col], row);
    }
  }
}
