// Reference counts of operator results over the evaluation order. rename
// hands its operand's relation on as its own result, so a relation's readers
// are those of every node that stands for it.
#include "exec/lifetimes.h"

#include "exec/memory_budget.h"

ResultLifetimes::ResultLifetimes(const Command &command) : readers_(command.nodes.size(), 0), root_(command.root()) {
  for (const CommandNode &node : command.nodes) {
    if (node.kind == NodeKind::name) {
      ++named_[node.text];
    }
    renames_ = renames_ || node.kind == NodeKind::renameOp;
    for (int position = 1; position <= factsOf(node.kind).relationOperands; ++position) {
      int id = operandId(node, position);
      if (id > 0 && static_cast<std::size_t>(id) < readers_.size()) {
        ++readers_[static_cast<std::size_t>(id)];
      }
    }
  }
}

void ResultLifetimes::addReaders(const Table &table, CommandNode &holder, int readers) {
  Pending &p = pending_[&table];
  p.reads += readers;
  p.holders.push_back(&holder);
}

void ResultLifetimes::readOnce(Evaluation &ev, const CommandNode &operand) {
  if (!isRelational(operand.kind) || operand.result == nullptr) {
    return; // a name stands for a relation of the file, which outlives the run
  }
  const Table *table = operand.result;
  auto p = pending_.find(table);
  if (p == pending_.end() || --p->second.reads > 0) {
    return;
  }
  for (CommandNode *holder : p->second.holders) {
    if (holder == root_) {
      return; // the relation that the output file carries
    }
  }
  std::vector<CommandNode *> holders = std::move(p->second.holders);
  pending_.erase(p);
  returnResultMemory(ev, *table);
  if (ev.db.releaseResult(*table)) {
    for (CommandNode *holder : holders) {
      holder->result = nullptr;
    }
  }
}

void ResultLifetimes::evaluated(Evaluation &ev, CommandNode &node) {
  if (node.result == nullptr) {
    return;
  }
  addReaders(*node.result, node, readers_[static_cast<std::size_t>(node.id)]);
  // An operand named twice (union(,X) names X as both) is read twice.
  for (int position = 1; position <= factsOf(node.kind).relationOperands; ++position) {
    if (const CommandNode *operand = ev.command.findNode(operandId(node, position)); operand != nullptr) {
      readOnce(ev, *operand);
    }
  }
  // A result that no operator reads, and that is not the command's own.
  if (auto p = pending_.find(node.result); p != pending_.end() && p->second.reads == 0 && &node != root_) {
    ++p->second.reads;
    readOnce(ev, node);
  }
}

bool ResultLifetimes::readOnlyBy(const Evaluation &ev, const CommandNode &op, int position) const {
  if (ev.trace != nullptr || renames_) {
    return false; // the explanation shows the relations after the run; a rename moves names
  }
  const CommandNode *operand = ev.command.findNode(operandId(op, position));
  if (operand == nullptr || operand->kind != NodeKind::name) {
    return false;
  }
  // Without renames a name stands for one relation throughout, and no other
  // name for it: any other word of the command like it may be a reader.
  auto named = named_.find(operand->text);
  return named != named_.end() && named->second == 1;
}

bool readOnlyBy(const Evaluation &ev, const CommandNode &op, int position) {
  return ev.lifetimes != nullptr && ev.lifetimes->readOnlyBy(ev, op, position);
}
