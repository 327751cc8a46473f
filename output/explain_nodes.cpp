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
      if (node.kind != NodeKind::projectOp && node.kind != NodeKind::selectOp) {
        mark(secondArg(node));
      }
    }
  }
  return places;
}

std::string typeText(std::int32_t width) { return width == 0 ? "int" : "char(" + std::to_string(width) + ")"; }

std::string headerText(const TraceRelation &relation) {
  std::string text = relation.name + "(";
  for (std::size_t i = 0; i < relation.columns.size(); ++i) {
    text += (i > 0 ? ", " : "") + relation.columns[i].name + " " + typeText(relation.columns[i].width);
  }
  return text + ")";
}

std::size_t utf8Length(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0U; };
  unsigned lead = byte(at);
  if (lead < 0x80) {
    return 1;
  }
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  // The second byte's range excludes overlong forms, surrogates and code
  // points beyond U+10FFFF.
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    unsigned b = byte(at + i);
    if (b < (i == 1 ? low : 0x80U) || b > (i == 1 ? high : 0xBFU)) {
      return 0;
    }
  }
  return length;
}

std::string rowsText(std::size_t n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); }

std::string msText(double ms) {
  std::array<char, 64> buf{};
  std::snprintf(buf.data(), buf.size(), "%.3f", ms);
  return buf.data();
}
