// Operand resolution, result creation, and the row copy and comparison that
// every operator shares.
#include "exec/rows.h"

#include "exec/int_value.h"
#include "store/error.h"

#include <string>

namespace {

// The Hungarian article before a number: "az" where the number's name starts
// with a vowel (1, 5, 1000, 5000 ...), "a" otherwise.
std::string withArticle(int n) {
  std::string digits = std::to_string(n);
  bool vowel = digits[0] == '5' || (digits[0] == '1' && digits.size() % 3 == 1);
  return (vowel ? "az " : "a ") + digits + ".";
}

} // namespace

int compareValues(std::int32_t width, std::string_view a, std::string_view b) {
  if (width == 0) {
    std::int32_t x = toInt32(a);
    std::int32_t y = toInt32(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

RowCursor::RowCursor(const Table &table) {
  for (Column *c = firstColumn(table); c != nullptr; c = c->next) {
    cells.push_back(c->cells->next);
    widths.push_back(c->width);
  }
}

void RowCursor::advance() {
  for (Cell *&cell : cells) {
    if (cell != nullptr) {
      cell = cell->next;
    }
  }
}

int compareRows(const RowCursor &a, const RowCursor &b) {
  for (std::size_t i = 0; i < a.cells.size(); ++i) {
    int c = compareValues(a.widths[i], a.cells[i]->value, b.cells[i]->value);
    if (c != 0) {
      return c;
    }
  }
  return 0;
}

std::vector<Column *> appendTargets(Table &result) {
  std::vector<Column *> targets;
  for (Column *c = firstColumn(result); c != nullptr; c = c->next) {
    c->cursor = c->cells;
    targets.push_back(c);
  }
  return targets;
}

void appendRow(Table &result, const std::vector<Column *> &targets, const RowCursor &source) {
  for (std::size_t i = 0; i < targets.size(); ++i) {
    appendValue(result, *targets[i], source.cells[i]->value);
  }
}

Table &createTempTable(Database &db, CommandNode &node) {
  Table *table = db.adoptResult(createTable("__!!temp"));
  node.result = table;
  return *table;
}

void copyColumns(Table &result, const Table &source) {
  Column *last = result.schema;
  while (last->next != nullptr) {
    last = last->next;
  }
  for (const Column *c = firstColumn(source); c != nullptr; c = c->next) {
    last = linkColumn(last, createColumn(result, c->name, c->width));
    last->cursor = nullptr;
  }
}

CommandNode &operandNode(Database &db, const CommandNode &op, int id, int position) {
  CommandNode *node = id > 0 ? db.findNode(id) : nullptr;
  if (node == nullptr) {
    throw InputError("A(z) " + op.text + " operatornak hianyzik " + withArticle(position) + " operandusa.", op.line,
                     op.column);
  }
  return *node;
}

Table &resolveOperand(Database &db, const CommandNode &op, int position) {
  int id = position == 1 ? op.firstArg : secondArg(op);
  CommandNode &node = operandNode(db, op, id, position);
  if (node.kind == kindName) {
    node.result = db.findTable(node.text);
    if (node.result == nullptr) {
      throw InputError("A(z) " + node.text + " relacio nem letezik.", node.line, node.column);
    }
    return *node.result;
  }
  if (node.kind < kindUnion || node.kind > kindSelect) {
    throw InputError("A(z) " + op.text + " operator " + std::to_string(position) + ". operandusa nem relacio.",
                     node.line, node.column);
  }
  if (node.result == nullptr) {
    throw InputError("A(z) " + op.text + " operator " + std::to_string(position) +
                         ". operandusa nem ertekelheto ki elotte.",
                     node.line, node.column);
  }
  return *node.result;
}
