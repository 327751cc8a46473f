// When each operator result may go: as soon as no operator still to be
// evaluated reads it, so that a deep command holds few results at once.
#pragma once

#include "exec/evaluation.h"

#include <string>
#include <unordered_map>
#include <vector>

class ResultLifetimes {
public:
  // Counts, for every node, the operator operands that name it.
  explicit ResultLifetimes(const Command &command);

  // After node was evaluated: its operands have been read once more, and its
  // result gains node's readers. Frees every result that no one will read.
  void evaluated(Evaluation &ev, CommandNode &node);
  // See the free function below.
  [[nodiscard]] bool readOnlyBy(const Evaluation &ev, const CommandNode &op, int position) const;

private:
  void addReaders(const Table &table, CommandNode &holder, int readers);
  void readOnce(Evaluation &ev, const CommandNode &operand);

  std::vector<int> readers_; // by node id
  struct Pending {
    int reads = 0;
    std::vector<CommandNode *> holders; // nodes whose result the table is
  };
  std::unordered_map<const Table *, Pending> pending_;
  const CommandNode *root_;
  std::unordered_map<std::string, int> named_; // name nodes by their text
  bool renames_ = false;                       // whether the command renames
};

// Whether operand position of op names a relation of the file that nothing
// but op reads, in the command or after it: then op may give back its
// memory as it reads it.
bool readOnlyBy(const Evaluation &ev, const CommandNode &op, int position);
