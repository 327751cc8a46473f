// The command's tokens: one CommandNode per token, linked in a ring behind a
// head node. Nesting is held in ids: firstArg names the first operand, the
// moreArgs links name the operands that follow a ','.
#pragma once

#include <string>

struct Table;

enum NodeKind : int {
  kindHead = 0,
  kindUnion = 1,
  kindMinus = 2,
  kindProduct = 3,
  kindProject = 4,
  kindRename = 5,
  kindSelect = 6,
  kindEq = 7,
  kindNeq = 8,
  kindLt = 9,
  kindLte = 10,
  kindGt = 11,
  kindGte = 12,
  kindAnd = 13,
  kindOr = 14,
  kindNot = 15,
  kindLiteral = 16,
  kindOtherWord = 17,
  kindName = 18,
};

// An operand after a ','; owns the links that follow it.
struct ArgLink {
  int id = 0;
  ArgLink *next = nullptr;
};

struct CommandNode {
  int id = 0;
  int firstArg = 0;
  ArgLink *moreArgs = nullptr; // owned
  int kind = kindHead;
  std::string text;
  CommandNode *prev = nullptr;
  CommandNode *next = nullptr;
  Table *result = nullptr; // never owned
  // Where the token starts in the input file, for error messages.
  long long line = 0;
  long long column = 0;
};

// The id of the first moreArgs link, or -1 when there is none.
inline int secondArg(const CommandNode &node) { return node.moreArgs != nullptr ? node.moreArgs->id : -1; }
