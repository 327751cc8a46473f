// Checks shared by the merging operators.
#include "exec/merge.h"

#include "store/error.h"

#include <string>

void requireSameColumnCount(const CommandNode &op, const Table &a, const Table &b) {
  std::size_t na = columnCount(a);
  std::size_t nb = columnCount(b);
  if (na != nb) {
    throw InputError("A(z) " + op.text + " operandusainak oszlopszama elter: " + std::to_string(na) + " es " +
                         std::to_string(nb) + ".",
                     op.line, op.column);
  }
}
