// The command's tokens: one CommandNode per token, linked in a ring behind a
// head node in evaluation order. Nesting is held in ids: firstArg names the
// first operand, moreArgs the operands that follow a ','.
#pragma once

#include "store/error.h"
#include "store/warning.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

struct Table;

// The facts of each kind are in nodeFacts below, which follows this order.
enum class NodeKind : std::uint8_t {
  head,
  unionOp,
  minusOp,
  productOp,
  projectOp,
  renameOp,
  selectOp,
  intersectOp,
  joinOp,
  semijoinOp,
  antijoinOp,
  divideOp,
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

enum class NodeGroup : std::uint8_t {
  none,
  relational, // stands for a relation
  comparison, // EQ, NEQ, LT, LTE, GT, GTE
  logical,    // AND, OR, NOT
};

struct NodeFacts {
  NodeKind kind;
  std::string_view word; // the keyword; for the others, how an explanation names them
  bool keyword;
  NodeGroup group;
  int relationOperands; // the leading operands read as relations
  int operandLimit;     // 0: any number
  bool extended;        // a keyword only under --extended; a word like any other without it
};

// Everything that depends on the kind of a node and not on its place in a
// command: adding an operator is adding a row here and a case to its
// evaluator.
inline constexpr std::array<NodeFacts, 24> nodeFacts{{
    {NodeKind::head, "word", false, NodeGroup::none, 0, 0, false},
    {NodeKind::unionOp, "union", true, NodeGroup::relational, 2, 2, false},
    {NodeKind::minusOp, "minus", true, NodeGroup::relational, 2, 2, false},
    {NodeKind::productOp, "product", true, NodeGroup::relational, 2, 2, false},
    {NodeKind::projectOp, "project", true, NodeGroup::relational, 1, 0, false},
    {NodeKind::renameOp, "rename", true, NodeGroup::relational, 1, 2, false},
    {NodeKind::selectOp, "select", true, NodeGroup::relational, 1, 2, false},
    {NodeKind::intersectOp, "intersect", true, NodeGroup::relational, 2, 2, true},
    {NodeKind::joinOp, "join", true, NodeGroup::relational, 2, 3, true}, // a third operand: the condition
    {NodeKind::semijoinOp, "semijoin", true, NodeGroup::relational, 2, 2, true},
    {NodeKind::antijoinOp, "antijoin", true, NodeGroup::relational, 2, 2, true},
    {NodeKind::divideOp, "divide", true, NodeGroup::relational, 2, 2, true},
    {NodeKind::eq, "EQ", true, NodeGroup::comparison, 0, 2, false},
    {NodeKind::neq, "NEQ", true, NodeGroup::comparison, 0, 2, false},
    {NodeKind::lt, "LT", true, NodeGroup::comparison, 0, 2, false},
    {NodeKind::lte, "LTE", true, NodeGroup::comparison, 0, 2, false},
    {NodeKind::gt, "GT", true, NodeGroup::comparison, 0, 2, false},
    {NodeKind::gte, "GTE", true, NodeGroup::comparison, 0, 2, false},
    {NodeKind::andOp, "AND", true, NodeGroup::logical, 0, 2, false},
    {NodeKind::orOp, "OR", true, NodeGroup::logical, 0, 2, false},
    {NodeKind::notOp, "NOT", true, NodeGroup::logical, 0, 1, false},
    {NodeKind::literal, "literal", false, NodeGroup::none, 0, 0, false},
    {NodeKind::otherWord, "word", false, NodeGroup::none, 0, 0, false},
    {NodeKind::name, "name", false, NodeGroup::none, 0, 0, false},
}};

constexpr bool factsFollowTheEnum() {
  for (std::size_t i = 0; i < nodeFacts.size(); ++i) {
    if (static_cast<std::size_t>(nodeFacts[i].kind) != i) {
      return false;
    }
  }
  return true;
}
static_assert(nodeFacts.size() == static_cast<std::size_t>(NodeKind::name) + 1, "a row per node kind");
static_assert(factsFollowTheEnum(), "nodeFacts in NodeKind's order");

constexpr const NodeFacts &factsOf(NodeKind kind) { return nodeFacts[static_cast<std::size_t>(kind)]; }

constexpr bool isRelational(NodeKind kind) { return factsOf(kind).group == NodeGroup::relational; }
constexpr bool isComparison(NodeKind kind) { return factsOf(kind).group == NodeGroup::comparison; }
constexpr bool isLogical(NodeKind kind) { return factsOf(kind).group == NodeGroup::logical; }
// A comparison or a logical operator.
constexpr bool isCondition(NodeKind kind) { return isComparison(kind) || isLogical(kind); }
// The operands that are themselves conditions: every operand of AND, OR, NOT.
constexpr int conditionOperands(NodeKind kind) { return isLogical(kind) ? factsOf(kind).operandLimit : 0; }

// The kind of a word ended by '(': a keyword's kind, else NodeKind::otherWord.
// The extended operators are keywords only when extended is set.
NodeKind kindOfWord(std::string_view word, bool extended);

// The keywords of one group of kinds (isRelational, say), in the table's
// order: the candidates for a near-name suggestion.
std::vector<std::string_view> keywordsOf(bool (*inGroup)(NodeKind), bool extended);

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
  std::string typed; // the token as typed, when blanks were dropped from it; else empty
  CommandNode *prev = nullptr;
  CommandNode *next = nullptr;
  Table *result = nullptr; // never owned
  // Where the token starts in the input file, for error messages.
  long long line = 0;
  long long column = 0;
};

// The id of the operand at position (1 for firstArg, 2 for the first
// moreArgs link, ...), or -1 when there is none.
inline int operandId(const CommandNode &node, int position) {
  if (position == 1) {
    return node.firstArg;
  }
  auto more = static_cast<std::size_t>(position - 2);
  return position > 1 && more < node.moreArgs.size() ? node.moreArgs[more].id : -1;
}
inline int secondArg(const CommandNode &node) { return operandId(node, 2); }

// A relation name that the file holds where the reader could not take it for
// a relation, and why; reported when the command names that relation.
struct LostRelation {
  std::string name;
  std::string message;
  long long line = 0;
  long long column = 0;
  bool reported = false; // an error already says why: naming it adds none
};

// Past this many errors a run stops looking: the rest are likely one mistake
// repeated, and a file of a million bad rows must not print a million lines.
inline constexpr std::size_t errorLimit = 20;

// Thrown when the errorLimit-th error is noted: reading and checking end there.
struct ErrorLimitReached {};

// The nodes of one command, owned here and indexed by id (the head is id 0),
// and what reading and checking the input noted for the driver and the
// executor.
struct Command {
  std::deque<CommandNode> nodes;
  std::vector<Warning> warnings; // in the order found
  std::vector<Warning> errors;   // in the order found, at most errorLimit
  std::vector<LostRelation> lost;
  bool read = true;      // false when line 1 could not be read as a command
  bool extended = false; // --extended: the operators beyond the course's six are keywords

  // Notes a mistake that the run goes on looking past; throws
  // ErrorLimitReached at the errorLimit-th.
  // The same message twice on a line (a missing relation named twice) is
  // one mistake.
  void addError(const InputError &e) {
    for (const Warning &known : errors) {
      if (known.line == e.line() && known.message == e.message()) {
        return;
      }
    }
    errors.push_back({e.message(), e.line(), e.column(), 0});
    if (errors.size() >= errorLimit) {
      throw ErrorLimitReached{};
    }
  }

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
