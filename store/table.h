// The relation store: a relation is a chain of columns after a schema head,
// each column contiguous arrays of where its values lie. Row k is the k-th
// value of every column. All values are text; the store only says where.
#pragma once

#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where one value lies: its text is length bytes at offset from its column's
// base. Texts of 255 bytes or more, and texts out of the base's 32-bit reach
// (before it, or in an input over 4 GiB), are kept aside: then length is
// outlier and offset indexes the column's outliers. Five bytes a value, where
// an input row of a few short values takes hardly more.
struct Cell {
  std::uint32_t offset = 0;
  std::uint8_t length = 0;
};

// One attribute. width is 0 for int, n for char(n), -1 in the schema head.
// Its cells are kept as two arrays, offsets and lengths, so that no padding
// rounds a cell up to eight bytes.
// An allocator under which a vector's resize leaves the new numbers as they
// are: the threads that fill a relation's cells then touch its pages, where
// zeroing them first would take one thread over all of them.
template <class T> struct LeftAsIs : std::allocator<T> {
  template <class U> void construct(U *p) noexcept { ::new (static_cast<void *>(p)) U; }
  template <class U, class... Args> void construct(U *p, Args &&...args) {
    ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
  }
};

struct Column {
  static constexpr std::uint8_t outlier = std::numeric_limits<std::uint8_t>::max();
  static constexpr std::size_t bytesPerValue = sizeof(Cell::offset) + sizeof(Cell::length);

  std::string name;
  std::int32_t width = -1;
  Column *next = nullptr;
  std::string qualifier;      // in an operator's result: the named relation it came from, if any (R in R.a)
  const char *base = nullptr; // set by the first text stored, or taken from a source column
  std::vector<std::uint32_t, LeftAsIs<std::uint32_t>> offsets;
  std::vector<std::uint8_t, LeftAsIs<std::uint8_t>> lengths;
  std::vector<std::string_view> outliers;
  std::size_t valueBytes = 0; // text bytes of all its values, shared or not

  [[nodiscard]] std::size_t size() const { return offsets.size(); }
  [[nodiscard]] Cell cell(std::size_t row) const { return {offsets[row], lengths[row]}; }
  [[nodiscard]] std::string_view value(std::size_t row) const {
    Cell c = cell(row);
    if (c.length == outlier) {
      return outliers[c.offset];
    }
    return {base + c.offset, c.length};
  }
  void push(Cell c) {
    offsets.push_back(c.offset);
    lengths.push_back(c.length);
  }
  void reserve(std::size_t rows) {
    offsets.reserve(rows);
    lengths.reserve(rows);
  }
};

// A relation. Its columns live in columnStore (the chain links them in schema
// order); its values are views of texts it does not own (see appendStored).
struct Table {
  std::string name;
  Column *schema = nullptr;
  std::deque<Column> columnStore;

  explicit Table(std::string tableName);
  Table(const Table &) = delete;
  Table &operator=(const Table &) = delete;
};

// A real column, owned by table but not yet linked.
Column *createColumn(Table &table, std::string name, std::int32_t width);
// Links column after last and returns it, the new last column.
Column *linkColumn(Column *last, Column *column);

// The cell that places stored within column's reach from its base, if it
// is: then cell is set and the column is left as it is.
[[gnu::always_inline]] inline bool cellInReach(const Column &column, std::string_view stored, Cell &cell) {
  // Unsigned distance: a text before the base wraps to a huge one.
  std::uintptr_t offset =
      reinterpret_cast<std::uintptr_t>(stored.data()) - reinterpret_cast<std::uintptr_t>(column.base);
  if (column.base == nullptr || offset > std::numeric_limits<std::uint32_t>::max() ||
      stored.size() >= Column::outlier) {
    return false;
  }
  cell = {static_cast<std::uint32_t>(offset), static_cast<std::uint8_t>(stored.size())};
  return true;
}
// The cell of a text out of reach of column, whose base is set: the text is
// kept among its outliers (an empty one needs no place). Counts its bytes.
Cell cellAside(Column &column, std::string_view stored);

// Appends a text that outlives the table (the input's bytes, which every
// relation views) without copying it.
void appendStoredAside(Column &column, std::string_view stored);
[[gnu::always_inline]] inline void appendStored(Column &column, std::string_view stored) {
  Cell cell;
  if (cellInReach(column, stored, cell)) {
    column.push(cell);
    column.valueBytes += stored.size();
  } else {
    appendStoredAside(column, stored);
  }
}
// Appends row of source, whose text outlives column's table; with the same
// base, the offset and length are copied as they are.
[[gnu::always_inline]] inline void appendCell(Column &column, const Column &source, std::size_t row) {
  Cell cell = source.cell(row);
  if (column.base == source.base && cell.length != Column::outlier) {
    column.push(cell);
    column.valueBytes += cell.length;
  } else {
    appendStored(column, source.value(row));
  }
}

// "int" or "char(n)", as a header names a column's type.
std::string typeText(std::int32_t width);

// The qualifier that column answers to under --extended (R in R.a): the
// name of its relation where that is named (an input relation, a rename's
// result), else the one it brought from the named relation it came from.
std::string_view qualifierOf(const Table &table, const Column &column);

// What a product or join qualifies an operand's columns with: the operand's
// name when it is a named relation; a nested command's result has none.
std::string_view operandQualifier(const Table &operand);

// Empties every column of a relation that nothing reads any more, and gives
// its cells' memory back.
void dropCells(Table &table);

Column *firstColumn(const Table &table);
std::size_t columnCount(const Table &table);
// The number of cells of the first column; 0 without columns.
std::size_t rowCount(const Table &table);
