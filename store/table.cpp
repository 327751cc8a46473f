// Creation of relations and columns, and the placing of value texts.
#include "store/table.h"

#include <cassert>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <utility>

Table::Table(std::string tableName) : name(std::move(tableName)) { schema = &columnStore.emplace_back(); }

Column *createColumn(Table &table, std::string name, std::int32_t width) {
  Column &column = table.columnStore.emplace_back();
  column.name = std::move(name);
  column.width = width;
  return &column;
}

Column *linkColumn(Column *last, Column *column) {
  last->next = column;
  return column;
}

Cell cellAside(Column &column, std::string_view stored) {
  assert(column.base != nullptr);
  if (stored.empty()) {
    return {};
  }
  if (column.outliers.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("too many values out of a column's reach");
  }
  column.outliers.push_back(stored);
  column.valueBytes += stored.size();
  return {static_cast<std::uint32_t>(column.outliers.size() - 1), Column::outlier};
}

void appendStoredAside(Column &column, std::string_view stored) {
  if (column.base == nullptr && !stored.empty()) {
    column.base = stored.data();
    appendStored(column, stored);
    return;
  }
  if (column.base == nullptr) {
    column.push({});
    return;
  }
  column.push(cellAside(column, stored));
}

std::string typeText(std::int32_t width) { return width == 0 ? "int" : "char(" + std::to_string(width) + ")"; }

void dropCells(Table &table) {
  for (Column *c = firstColumn(table); c != nullptr; c = c->next) {
    decltype(c->offsets)().swap(c->offsets);
    decltype(c->lengths)().swap(c->lengths);
    decltype(c->outliers)().swap(c->outliers);
    c->valueBytes = 0;
  }
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
  return first == nullptr ? 0 : first->size();
}

std::string_view qualifierOf(const Table &table, const Column &column) {
  return table.name == "__!!temp" ? std::string_view(column.qualifier) : std::string_view(table.name);
}

std::string_view operandQualifier(const Table &operand) {
  return operand.name == "__!!temp" ? std::string_view() : std::string_view(operand.name);
}
