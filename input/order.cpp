// Evaluation order: pairs of two-operand operators are recorded in one scan,
// then each second operand is moved before its sibling, in scan order.
#include "input/tokenizer.h"

#include <deque>
#include <utility>

namespace {

bool readsTwoRelations(NodeKind kind) { return factsOf(kind).relationOperands == 2; }

} // namespace

void orderCommands(Command &command) {
  std::deque<std::pair<CommandNode *, CommandNode *>> moves;
  for (CommandNode *p = command.head()->next; p != nullptr && p->kind != NodeKind::head; p = p->next) {
    if (!readsTwoRelations(p->kind) || p->moreArgs.empty()) {
      continue;
    }
    CommandNode *a = command.findNode(p->firstArg);
    CommandNode *b = command.findNode(secondArg(*p));
    // Operands that cannot be found, or one node named twice, are passed over:
    // moving a node before itself would break the ring.
    if (a == nullptr || b == nullptr || a == b) {
      continue;
    }
    if (readsTwoRelations(a->kind) && readsTwoRelations(b->kind)) {
      moves.emplace_back(a, b);
    }
  }
  for (auto [a, b] : moves) {
    b->next->prev = b->prev;
    b->prev->next = b->next;
    b->next = a;
    b->prev = a->prev;
    a->prev->next = b;
    a->prev = b;
  }
}
