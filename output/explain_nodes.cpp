// Shared pieces of the explanation writers.
#include "output/explain_nodes.h"

#include <array>
#include <cstdio>

std::string_view kindWord(NodeKind kind) {
  switch (kind) {
  case NodeKind::unionOp:
    return "union";
  case NodeKind::minusOp:
    return "minus";
  case NodeKind::productOp:
    return "product";
  case NodeKind::projectOp:
    return "project";
  case NodeKind::renameOp:
    return "rename";
  case NodeKind::selectOp:
    return "select";
  case NodeKind::eq:
    return "EQ";
  case NodeKind::neq:
    return "NEQ";
  case NodeKind::lt:
    return "LT";
  case NodeKind::lte:
    return "LTE";
  case NodeKind::gt:
    return "GT";
  case NodeKind::gte:
    return "GTE";
  case NodeKind::andOp:
    return "AND";
  case NodeKind::orOp:
    return "OR";
  case NodeKind::notOp:
    return "NOT";
  case NodeKind::literal:
    return "literal";
  case NodeKind::name:
    return "name";
  default:
    return "word";
  }
}

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
