// The relation store: a relation is a chain of columns after a schema head,
// each column one contiguous array of cells. Row k is the k-th cell of every
// column. All values are text; a cell only says where its text lies.
#pragma once

#include "store/arena.h"

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// One value of one column: its text is length bytes at offset from the
// column's base. Texts out of the base's 32-bit reach, which only inputs over
// 4 GiB or texts copied elsewhere have, are kept aside: then length is
// outlier and offset indexes the column's outliers.
struct Cell {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// One attribute. width is 0 for int, n for char(n), -1 in the schema head.
struct Column {
  static constexpr std::uint32_t outlier = std::numeric_limits<std::uint32_t>::max();

  std::string name;
  std::int32_t width = -1;
  Column *next = nullptr;
  const char *base = nullptr; // set by the first text stored, or taken from a source column
  std::vector<Cell> cells;
  std::vector<std::string_view> outliers;
  std::size_t valueBytes = 0; // text bytes of all its values, shared or not

  [[nodiscard]] std::size_t size() const { return cells.size(); }
  [[nodiscard]] std::string_view value(std::size_t row) const {
    Cell cell = cells[row];
    if (cell.length == outlier) {
      return outliers[cell.offset];
    }
    return {base + cell.offset, cell.length};
  }
};

// A relation. Its columns live in columnStore (the chain links them in schema
// order); texts copied into it live in the arena.
struct Table {
  std::string name;
  Column *schema = nullptr;
  Arena arena;
  std::deque<Column> columnStore;

  explicit Table(std::string tableName);
  Table(const Table &) = delete;
  Table &operator=(const Table &) = delete;
};

// A real column, owned by table but not yet linked.
Column *createColumn(Table &table, std::string name, std::int32_t width);
// Links column after last and returns it, the new last column.
Column *linkColumn(Column *last, Column *column);

// Appends a copy of text to the column.
void appendValue(Table &table, Column &column, std::string_view text);
// Appends a text that outlives the table (the input, or a source's arena
// that lives as long) without copying it.
void appendStoredAside(Column &column, std::string_view stored);
[[gnu::always_inline]] inline void appendStored(Column &column, std::string_view stored) {
  // Unsigned distance: a text before the base wraps to a huge one.
  std::uintptr_t offset =
      reinterpret_cast<std::uintptr_t>(stored.data()) - reinterpret_cast<std::uintptr_t>(column.base);
  if (column.base != nullptr && offset <= Column::outlier && stored.size() < Column::outlier) {
    column.cells.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(stored.size())});
    column.valueBytes += stored.size();
  } else {
    appendStoredAside(column, stored);
  }
}
// Appends row of source, whose text outlives column's table; with the same
// base, the cell itself is copied.
inline void appendCell(Column &column, const Column &source, std::size_t row) {
  Cell cell = source.cells[row];
  if (column.base == source.base && cell.length != Column::outlier) {
    column.cells.push_back(cell);
    column.valueBytes += cell.length;
  } else {
    appendStored(column, source.value(row));
  }
}

Column *firstColumn(const Table &table);
std::size_t columnCount(const Table &table);
// The number of cells of the first column; 0 without columns.
std::size_t rowCount(const Table &table);
