// project(R, c1, c2, ...): the named columns in the named order, rows in
// ascending order, of each group of equal rows the first in R's order:
// hashing the rows finds those firsts, and only they are sorted.
#include "check/columns.h"
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/project_order.h"
#include "exec/rows.h"

#include <cassert>
#include <vector>

void evaluateProject(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &r = resolveOperand(ev, node, 1);
  assert(!node.moreArgs.empty() && "the check found the column list");
  std::vector<const Column *> sources;
  int position = 2;
  ColumnIndex columns(r, ev.command.extended);
  for (const ArgLink &link : node.moreArgs) {
    sources.push_back(&columns.find(operandNode(ev, node, link.id, position++)));
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
    last->qualifier = qualifierOf(r, *c);
    input.widths.push_back(c->width);
  }
  input.rows = rowCount(r);
  input.columns = sources;
  std::vector<std::size_t> order = projectionOrder(input);
  std::vector<Column *> targets = appendTargets(result, order.size());
  if (appendRowsInParts(targets, sources, order)) {
    return;
  }
  for (std::size_t col = 0; col < targets.size(); ++col) {
    for (std::size_t row : order) {
      appendCell(*targets[col], *sources[col], row);
    }
  }
}
