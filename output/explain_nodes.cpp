// Shared pieces of the explanation writers.
#include "output/explain_nodes.h"

#include <algorithm>
#include <array>
#include <cstdio>

std::string_view kindWord(NodeKind kind) { return factsOf(kind).word; }

std::vector<int> operandIds(const Command &command, const CommandNode &node) {
  std::vector<int> ids;
  if (node.firstArg > 0 && command.findNode(node.firstArg) != nullptr) {
    ids.push_back(node.firstArg);
  }
  for (const ArgLink &link : node.moreArgs) {
    if (link.id > 0 && command.findNode(link.id) != nullptr) {
      ids.push_back(link.id);
    }
  }
  return ids;
}

std::vector<bool> relationPlaces(const Command &command) {
  std::vector<bool> places(command.nodes.size(), false);
  auto mark = [&places](int id) {
    if (id > 0 && static_cast<std::size_t>(id) < places.size()) {
      places[static_cast<std::size_t>(id)] = true;
    }
  };
  if (const CommandNode *root = command.root()) {
    mark(root->id);
  }
  for (const CommandNode &node : command.nodes) {
    if (node.id > 0 && isRelational(node.kind)) {
      mark(node.firstArg);
      if (factsOf(node.kind).relationOperands == 2 || node.kind == NodeKind::renameOp) {
        mark(secondArg(node));
      }
    }
  }
  return places;
}

std::string headerText(const TraceRelation &relation) {
  std::string text = relation.name + "(";
  for (std::size_t i = 0; i < relation.columns.size(); ++i) {
    text += (i > 0 ? ", " : "") + relation.columns[i].name + " " + typeText(relation.columns[i].width);
  }
  return text + ")";
}

std::string rowsText(std::size_t n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); }

std::string msText(double ms) {
  std::array<char, 64> buf{};
  std::snprintf(buf.data(), buf.size(), "%.3f", ms);
  return buf.data();
}

namespace {

// Whether name (or R.name, R the operand's own name) is a column of operand.
bool holds(const TraceOperand &operand, const std::string &name) {
  const std::vector<TraceColumn> &columns = operand.relation.columns;
  const std::string &qualifier = operand.relation.name;
  return std::any_of(columns.begin(), columns.end(), [&](const TraceColumn &c) {
    return c.name == name || (name.size() == qualifier.size() + 1 + c.name.size() && name.starts_with(qualifier) &&
                              name[qualifier.size()] == '.' && name.ends_with(c.name));
  });
}

} // namespace

std::vector<std::string> matchKeys(const Command &command, const TraceStep &step) {
  const CommandNode *node = command.findNode(step.nodeId);
  std::vector<std::string> keys;
  bool matches = node != nullptr && (node->kind == NodeKind::joinOp || node->kind == NodeKind::semijoinOp ||
                                     node->kind == NodeKind::antijoinOp || node->kind == NodeKind::divideOp);
  if (!matches || step.operands.size() < 2) {
    return keys;
  }
  const TraceOperand &first = step.operands[0];
  const TraceOperand &second = step.operands[1];
  if (node->kind != NodeKind::joinOp || node->moreArgs.size() < 2) {
    for (const TraceColumn &c : second.relation.columns) {
      if (holds(first, c.name)) {
        keys.push_back(c.name);
      }
    }
    return keys;
  }
  std::vector<const CommandNode *> todo{command.findNode(operandId(*node, 3))};
  while (!todo.empty()) {
    const CommandNode *n = todo.back();
    todo.pop_back();
    if (n == nullptr) {
      continue;
    }
    if (n->kind == NodeKind::andOp) {
      todo.push_back(command.findNode(operandId(*n, 2)));
      todo.push_back(command.findNode(operandId(*n, 1)));
      continue;
    }
    const CommandNode *x = n->kind == NodeKind::eq ? command.findNode(operandId(*n, 1)) : nullptr;
    const CommandNode *y = n->kind == NodeKind::eq ? command.findNode(operandId(*n, 2)) : nullptr;
    if (x != nullptr && y != nullptr && x->kind == NodeKind::name && y->kind == NodeKind::name &&
        ((holds(first, x->text) && holds(second, y->text)) || (holds(second, x->text) && holds(first, y->text)))) {
      keys.push_back(x->text + " = " + y->text);
    }
  }
  return keys;
}
