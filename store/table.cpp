// Creation of relations, columns and cells.
#include "store/table.h"

#include <cstring>
#include <utility>

Table::Table(std::string tableName) : name(std::move(tableName)) { schema = &columnStore.emplace_back(); }

Column *createColumn(Table &table, std::string name, std::int32_t width) {
  Cell *head = table.arena.make<Cell>();
  Column &column = table.columnStore.emplace_back();
  column.name = std::move(name);
  column.width = width;
  column.cells = head;
  column.cursor = head;
  return &column;
}

Column *linkColumn(Column *last, Column *column) {
  last->next = column;
  return column;
}

void appendValue(Table &table, Column &column, std::string_view text) {
  // The cell and its text in one block: one allocation instead of two, and
  // the text beside the cell that points to it.
  Cell *cell = table.arena.makeWithTail<Cell>(text.size());
  char *bytes = reinterpret_cast<char *>(cell) + sizeof(Cell);
  if (!text.empty()) {
    std::memcpy(bytes, text.data(), text.size());
  }
  cell->value = {bytes, text.size()};
  column.valueBytes += text.size();
  column.cursor->next = cell;
  column.cursor = cell;
  ++column.count;
}

void appendStored(Table &table, Column &column, std::string_view stored) {
  Cell *cell = table.arena.make<Cell>(stored, nullptr);
  column.valueBytes += stored.size();
  column.cursor->next = cell;
  column.cursor = cell;
  ++column.count;
}

Column *firstColumn(const Table &table) { return table.schema->next; }

std::size_t columnCount(const Table &table) {
  std::size_t n = 0;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    ++n;
  }
  return n;
}

std::size_t rowCount(const Table &table) {
  const Column *first = firstColumn(table);
  return first != nullptr ? first->count : 0;
}
