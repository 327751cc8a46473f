// The executor's shared steps: how an operator reaches its operands, creates
// its result, and copies and compares rows.
#pragma once

#include "exec/evaluation.h"
#include "store/int_value.h"

#include <string_view>
#include <vector>

// One value compared as the column type says: width 0 as int, else as bytes.
int compareValues(std::int32_t width, std::string_view a, std::string_view b);

// A position in a relation held outside the columns, so that one relation can
// be traversed twice at once (union(R, R)). The int values of the current row
// are converted once, when first compared, however often they are compared.
struct RowCursor {
  std::vector<const Column *> columns; // in schema order
  std::vector<std::int32_t> widths;
  std::size_t row = 0;

  explicit RowCursor(const Table &table);
  [[nodiscard]] bool exhausted() const { return columns.empty() || row >= columns.front()->size(); }
  void advance() { ++row; }
  [[nodiscard]] std::string_view value(std::size_t column) const { return columns[column]->value(row); }
  // The current row's value in column as an int.
  [[nodiscard]] std::int32_t number(std::size_t column) const {
    if (convertedAt_[column] != row) {
      numbers_[column] = toInt32(value(column));
      convertedAt_[column] = row;
    }
    return numbers_[column];
  }

private:
  static constexpr std::size_t none = ~std::size_t{0};
  mutable std::vector<std::int32_t> numbers_;
  mutable std::vector<std::size_t> convertedAt_; // the row each number is of
};

// Compares the current rows of a and b column by column, the types taken from
// a's columns. Both have the same number of columns.
int compareRows(const RowCursor &a, const RowCursor &b);

// Result columns positioned for appending, in schema order, each with room
// for rows cells.
std::vector<Column *> appendTargets(Table &result, std::size_t rows);

// Appends the source's current row to the result's columns, as views of its
// texts.
void appendRow(const std::vector<Column *> &targets, const RowCursor &source);

// Appends to targets, one per source, the cells of sources at rows, in
// that order, as appendCell would, the rows cut into parts on the threads;
// false, with nothing appended, where that would not pay (then the caller
// appends them).
bool appendRowsInParts(const std::vector<Column *> &targets, const std::vector<const Column *> &sources,
                       const std::vector<std::size_t> &rows);

// Appends to result's columns, one per source, the rows of sources at rows,
// ascending, of equal rows the first: as a projection orders them.
void appendDistinctAscending(Table &result, const std::vector<const Column *> &sources,
                             const std::vector<std::size_t> &rows);

// Creates the operator's "__!!temp" result and stores it in node.result.
Table &createTempTable(Evaluation &ev, CommandNode &node);

// Appends to result's schema a copy of every column of source, without values.
void copyColumns(Table &result, const Table &source);
// The same for an operand of product or join: its columns answer to the
// operand's name (R.a) only when it is a named relation.
void copyOperandColumns(Table &result, const Table &operand);

// The relation that operand number position (1 or 2) of op stands for.
Table &resolveOperand(Evaluation &ev, const CommandNode &op, int position);
// The operand node at position; the check found it.
CommandNode &operandNode(Evaluation &ev, const CommandNode &op, int id, int position);

// The two operands of union or minus, which the check found alike, and the
// result with their columns.
struct MergeOperands {
  Table &result;
  Table &first;
  Table &second;
};
MergeOperands openMerge(Evaluation &ev, CommandNode &node);
