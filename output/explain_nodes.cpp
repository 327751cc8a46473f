// Shared pieces of the explanation writers.
#include "output/explain_nodes.h"

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
