// union and minus are set operations: an operand whose rows do not ascend
// without repeats is taken as a sorted copy without repeats.
#pragma once

#include "store/table.h"

#include <memory>

// True when each row is less than the next by compareRows.
bool ascendsWithoutRepeats(const Table &table);

// An operand as a set: the relation itself when its rows already ascend
// without repeats, else a copy of them in ascending order, of equal rows the
// first kept.
class SetOperand {
public:
  explicit SetOperand(const Table &table);
  [[nodiscard]] const Table &rows() const { return copy_ != nullptr ? *copy_ : table_; }
  // Whether rows() is a copy, which goes with this operand.
  [[nodiscard]] bool isCopy() const { return copy_ != nullptr; }

private:
  const Table &table_;
  std::unique_ptr<Table> copy_;
};
