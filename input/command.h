// The command's tokens: one CommandNode per token, linked in a ring behind a
// head node in evaluation order. Nesting is held in ids: firstArg names the
// first operand, moreArgs the operands that follow a ','.
#pragma once

#include "store/warning.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct Table;

enum class NodeKind : std::uint8_t {
  head,
  unionOp,
  minusOp,
  productOp,
  projectOp,
  renameOp,
  selectOp,
  eq,
  neq,
  lt,
  lte,
  gt,
  gte,
  andOp,
  orOp,
  notOp,
  literal,
  otherWord, // a word before '(' that is no keyword
  name,
};

// The operators that stand for a relation.
bool isRelational(NodeKind kind);
// EQ, NEQ, LT, LTE, GT, GTE.
bool isComparison(NodeKind kind);
// AND, OR, NOT.
bool isLogical(NodeKind kind);

// An operand after a ','.
struct ArgLink {
  int id = 0;
};

struct CommandNode {
  int id = 0;
  int firstArg = 0;
  std::vector<ArgLink> moreArgs;
  NodeKind kind = NodeKind::head;
  std::string text;
  CommandNode *prev = nullptr;
  CommandNode *next = nullptr;
  Table *result = nullptr; // never owned
  // Where the token starts in the input file, for error messages.
  long long line = 0;
  long long column = 0;
};

// The id of the first moreArgs link, or -1 when there is none.
inline int secondArg(const CommandNode &node) { return node.moreArgs.empty() ? -1 : node.moreArgs.front().id; }

// A relation name that the file holds where the reader could not take it for
// a relation, and why; reported when the command names that relation.
struct LostRelation {
  std::string name;
  std::string message;
  long long line = 0;
  long long column = 0;
};

// The nodes of one command, owned here and indexed by id (the head is id 0),
// and what reading the input noted for the driver and the executor.
struct Command {
  std::deque<CommandNode> nodes;
  std::vector<Warning> warnings; // in the order found
  std::vector<LostRelation> lost;

  Command() { nodes.emplace_back(); }
  Command(const Command &) = delete;
  Command &operator=(const Command &) = delete;

  CommandNode *head() { return &nodes.front(); }
  [[nodiscard]] const CommandNode *head() const { return &nodes.front(); }
  // The node with this id, or nullptr when no node holds it.
  CommandNode *findNode(int id) { return hasNode(id) ? &nodes[static_cast<std::size_t>(id)] : nullptr; }
  [[nodiscard]] const CommandNode *findNode(int id) const {
    return hasNode(id) ? &nodes[static_cast<std::size_t>(id)] : nullptr;
  }
  // The command's outermost token, or nullptr for an empty command line.
  [[nodiscard]] const CommandNode *root() const { return nodes.size() > 1 ? &nodes[1] : nullptr; }

private:
  [[nodiscard]] bool hasNode(int id) const { return id >= 0 && static_cast<std::size_t>(id) < nodes.size(); }
};
