// The relation store: a relation is a chain of columns after a schema head,
// each column a chain of value cells after a head cell. Row k is the k-th
// value cell of every column. All values are text.
#pragma once

#include "store/arena.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

// One value of one column. The text lives in the owning relation's arena.
struct Cell {
  std::string_view value;
  Cell *next = nullptr;
};

// One attribute. width is 0 for int, n for char(n), -1 in the schema head.
struct Column {
  std::string name;
  std::int32_t width = -1;
  Cell *cells = nullptr;
  Column *next = nullptr;
  Cell *cursor = nullptr;     // the last cell, where appending continues
  std::size_t count = 0;      // value cells, counted as they are appended
  std::size_t valueBytes = 0; // text bytes of all its values, shared or not
};

// A relation. Its columns live in columnStore (the chain links them in schema
// order); its cells and value texts live in the arena.
struct Table {
  std::string name;
  Column *schema = nullptr;
  Arena arena;
  std::deque<Column> columnStore;

  explicit Table(std::string tableName);
  Table(const Table &) = delete;
  Table &operator=(const Table &) = delete;
};

// A real column with its head cell, owned by table but not yet linked; its
// cursor rests on the head cell, ready for appending.
Column *createColumn(Table &table, std::string name, std::int32_t width);
// Links column after last and returns it, the new last column.
Column *linkColumn(Column *last, Column *column);

// Appends a copy of text after the column's cursor (its last cell) and moves
// the cursor onto the new cell.
void appendValue(Table &table, Column &column, std::string_view text);
// As appendValue, for a text that already lives in the table's arena.
void appendStored(Table &table, Column &column, std::string_view stored);

Column *firstColumn(const Table &table);
std::size_t columnCount(const Table &table);
// The number of value cells of the first column; 0 without columns. Takes
// no walk: cells are only ever appended, and counted then.
std::size_t rowCount(const Table &table);
