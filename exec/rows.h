// The executor's shared steps: how an operator reaches its operands, creates
// its result, and copies and compares rows.
#pragma once

#include "exec/evaluation.h"

#include <string_view>
#include <vector>

// One value compared as the column type says: width 0 as int, else as bytes.
int compareValues(std::int32_t width, std::string_view a, std::string_view b);

// A position in a relation held outside the columns, so that one relation can
// be traversed twice at once (union(R, R)).
struct RowCursor {
  std::vector<Cell *> cells; // current cell of each column, in schema order
  std::vector<std::int32_t> widths;

  explicit RowCursor(const Table &table);
  [[nodiscard]] bool exhausted() const { return cells.empty() || cells.front() == nullptr; }
  void advance();
};

// Compares the current rows of a and b column by column, the types taken from
// a's columns. Both have the same number of columns.
int compareRows(const RowCursor &a, const RowCursor &b);

// Result columns positioned for appending, in schema order.
std::vector<Column *> appendTargets(Table &result);

// Appends a copy of the source's current row to the result's columns.
void appendRow(Table &result, const std::vector<Column *> &targets, const RowCursor &source);

// Creates the operator's "__!!temp" result and stores it in node.result.
Table &createTempTable(Evaluation &ev, CommandNode &node);

// Appends to result's schema a copy of every column of source, without values.
void copyColumns(Table &result, const Table &source);

// The relation that operand number position (1 or 2) of op stands for.
Table &resolveOperand(Evaluation &ev, const CommandNode &op, int position);
// The operand node at position, or an error naming what op lacks.
CommandNode &operandNode(Evaluation &ev, const CommandNode &op, int id, int position);

// The two operands of union or minus, checked to have as many columns, and
// the result with their columns.
struct MergeOperands {
  Table &result;
  Table &first;
  Table &second;
};
MergeOperands openMerge(Evaluation &ev, CommandNode &node);
