// Recording an evaluation: copies of results at the moment each operator
// finishes, limited to the first rows, and the true counts of row masks.
#include "exec/trace.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace {

TraceRelation copyHeader(const Table &table) {
  TraceRelation copy;
  copy.name = table.name;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    copy.columns.push_back({c->name, c->width, std::string(qualifierOf(table, *c))});
  }
  return copy;
}

TraceRelation copyRelation(const Table &table, std::size_t rowLimit) {
  TraceRelation copy = copyHeader(table);
  copy.rowCount = rowCount(table);
  std::vector<const Column *> columns;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    columns.push_back(c);
  }
  copy.rows.resize(std::min(rowLimit, copy.rowCount));
  for (std::size_t r = 0; r < copy.rows.size(); ++r) {
    std::vector<std::string> &row = copy.rows[r];
    row.reserve(columns.size());
    for (const Column *c : columns) {
      assert(c->size() == copy.rowCount && "the reader and every operator make columns of one length");
      row.emplace_back(c->value(r));
    }
  }
  return copy;
}

} // namespace

void Trace::noteInputs(const Database &db) {
  inputs_.clear();
  inputIndex_.clear();
  for (std::size_t i = 0; i < db.tables.size(); ++i) {
    inputs_.push_back(copyRelation(*db.tables[i], rowLimit_));
    inputIndex_.emplace(db.tables[i].get(), i);
  }
}

void Trace::operatorStarts(const CommandNode &node) {
  if (!isRelational(node.kind)) {
    return;
  }
  current_ = node.id;
  started_ = std::chrono::steady_clock::now();
}

void Trace::operatorEnds(const Command &command, const CommandNode &node) {
  if (!isRelational(node.kind) || node.result == nullptr) {
    return;
  }
  std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - started_;
  current_ = 0;
  TraceStep step;
  step.nodeId = node.id;
  step.ms = elapsed.count();
  step.result = copyRelation(*node.result, rowLimit_);
  for (int position = 1; position <= factsOf(node.kind).relationOperands; ++position) {
    const CommandNode *operand = command.findNode(operandId(node, position));
    if (operand == nullptr || operand->id == 0 || operand->result == nullptr) {
      continue;
    }
    TraceOperand seen;
    seen.nodeId = operand->id;
    seen.relation = copyHeader(*operand->result);
    auto input = inputIndex_.find(operand->result);
    const TraceStep *inner = stepOf(operand->id);
    if (operand->kind == NodeKind::name && input != inputIndex_.end()) {
      seen.input = input->second;
      seen.relation.rowCount = rowCount(*operand->result);
    } else if (inner != nullptr) {
      seen.relation.rowCount = inner->result.rowCount; // counted when it finished; rows never change after
    } else {
      seen.relation.rowCount = rowCount(*operand->result);
    }
    step.operands.push_back(std::move(seen));
  }
  // Indexed only once it is in place: a push that ran out of memory must not
  // leave an index past the end.
  steps_.push_back(std::move(step));
  stepIndex_[node.id] = steps_.size() - 1;
}

void Trace::conditionEvaluated(const CommandNode &node, const std::vector<bool> &mask) {
  TraceCondition &condition = conditions_[node.id];
  // A join's condition is asked block by block: the counts add up.
  condition.rows += mask.size();
  condition.trueRows += static_cast<std::size_t>(std::count(mask.begin(), mask.end(), true));
}

void Trace::fail(long long line, long long column, std::string message, int node) {
  failure_ = TraceFailure{current_ != 0 ? current_ : node, line, column, std::move(message)};
  current_ = 0;
}

const TraceStep *Trace::stepOf(int nodeId) const {
  auto found = stepIndex_.find(nodeId);
  return found != stepIndex_.end() ? &steps_[found->second] : nullptr;
}

const TraceCondition *Trace::conditionOf(int nodeId) const {
  auto found = conditions_.find(nodeId);
  return found != conditions_.end() ? &found->second : nullptr;
}

bool namesColumn(const std::vector<TraceColumn> &columns, const TraceColumn &c, const std::string &text) {
  if (c.name == text) {
    return true;
  }
  bool plain =
      std::any_of(columns.begin(), columns.end(), [&](const TraceColumn &other) { return other.name == text; });
  return !plain && !c.qualifier.empty() && text.size() == c.qualifier.size() + 1 + c.name.size() &&
         text.starts_with(c.qualifier) && text[c.qualifier.size()] == '.' && text.ends_with(c.name);
}
