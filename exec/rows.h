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

// Cells put at their places in result columns, on any thread, by one part of
// the rows, as appendCell would append them; a text out of a column's reach
// is set aside, to be kept among the column's outliers when the parts are
// taken in, one after another in row order.
class PlacedCells {
public:
  explicit PlacedCells(std::size_t columns) : bytes_(columns, 0) {}

  // Puts row of source at place at of target, the result's column number
  // column.
  void put(Column &target, std::size_t column, std::size_t at, const Column &source, std::size_t row) {
    Cell cell = source.cell(row);
    if (source.base != target.base || cell.length == Column::outlier) {
      std::string_view text = source.value(row);
      if (!cellInReach(target, text, cell)) {
        aside_.push_back({at, column, text});
        return;
      }
    }
    target.offsets[at] = cell.offset;
    target.lengths[at] = cell.length;
    bytes_[column] += cell.length;
  }
  // The texts set aside kept, and the bytes counted, in targets.
  void takeIn(const std::vector<Column *> &targets) const;

private:
  struct Aside {
    std::size_t at;
    std::size_t column;
    std::string_view text;
  };
  std::vector<std::size_t> bytes_; // per column
  std::vector<Aside> aside_;
};

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
