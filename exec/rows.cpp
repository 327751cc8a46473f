// Operand resolution, result creation, and the row copy and comparison that
// every operator shares.
#include "exec/rows.h"

#include "exec/misplaced_word.h"
#include "exec/wording.h"
#include "input/near_name.h"
#include "store/error.h"
#include "store/int_value.h"

#include <algorithm>
#include <string>

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
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    columns.push_back(c);
    widths.push_back(c->width);
  }
  numbers_.resize(columns.size());
  convertedAt_.resize(columns.size(), none);
}

int compareRows(const RowCursor &a, const RowCursor &b) {
  for (std::size_t i = 0; i < a.columns.size(); ++i) {
    int c = 0;
    if (a.widths[i] == 0) {
      if (a.value(i) == b.value(i)) {
        continue; // the same text is the same number, and cheaper to see
      }
      std::int32_t x = a.number(i);
      std::int32_t y = b.number(i);
      c = x < y ? -1 : (x > y ? 1 : 0);
    } else {
      c = compareValues(a.widths[i], a.value(i), b.value(i));
    }
    if (c != 0) {
      return c;
    }
  }
  return 0;
}

std::vector<Column *> appendTargets(Table &result, std::size_t rows) {
  std::vector<Column *> targets;
  for (Column *c = firstColumn(result); c != nullptr; c = c->next) {
    c->reserve(rows);
    targets.push_back(c);
  }
  return targets;
}

void appendRow(const std::vector<Column *> &targets, const RowCursor &source) {
  for (std::size_t i = 0; i < targets.size(); ++i) {
    appendCell(*targets[i], *source.columns[i], source.row);
  }
}

Table &createTempTable(Evaluation &ev, CommandNode &node) {
  Table &table = ev.db.adoptResult(std::make_unique<Table>("__!!temp"));
  node.result = &table;
  return table;
}

void copyColumns(Table &result, const Table &source) {
  Column *last = result.schema;
  while (last->next != nullptr) {
    last = last->next;
  }
  for (const Column *c = firstColumn(source); c != nullptr; c = c->next) {
    last = linkColumn(last, createColumn(result, c->name, c->width));
    last->base = c->base; // so that appending copies the source's cells as they are
  }
}

namespace {

// Where the file shows why the relation is missing, the error points there;
// otherwise at the name, with the nearest relation name of the file.
[[noreturn]] void rejectMissingRelation(const Evaluation &ev, const CommandNode &node) {
  for (const LostRelation &lost : ev.command.lost) {
    if (lost.name == node.text) {
      throw InputError(lost.message, lost.line, lost.column);
    }
  }
  std::vector<std::string_view> names;
  for (const auto &t : ev.db.tables) {
    names.emplace_back(t->name);
  }
  throw InputError("A(z) " + shownName(node.text) + " relacio nem letezik." + suggestion(node.text, names), node.line,
                   node.column);
}

} // namespace

CommandNode &operandNode(Evaluation &ev, const CommandNode &op, int id, int position) {
  CommandNode *node = id > 0 ? ev.command.findNode(id) : nullptr;
  if (node == nullptr) {
    throw InputError("A(z) " + shownName(op.text) + " operatornak hianyzik " + withArticle(position) + " operandusa.",
                     op.line, op.column);
  }
  return *node;
}

void warnOnce(Evaluation &ev, std::string_view kind, Warning warning) {
  auto [entry, first] = ev.warned.try_emplace(kind);
  WarnedKind &w = entry->second;
  if (first) {
    w.index = ev.command.warnings.size();
    w.message = warning.message;
    ev.command.warnings.push_back(std::move(warning));
    return;
  }
  // The count goes before the message's closing mark.
  ++w.more;
  std::string &message = ev.command.warnings[w.index].message;
  message =
      w.message.substr(0, w.message.size() - 1) + " (es meg " + std::to_string(w.more) + " hasonlo)" + w.message.back();
}

void warnIfQuoted(Evaluation &ev, const CommandNode &name) {
  if (name.kind == NodeKind::literal) {
    warnOnce(ev, "quoted name",
             {"a(z) '" + shownName(name.text) + "' idezve all, de oszlopnevkent szamit: " + shownName(name.text) + ".",
              name.line, name.column});
  }
}

Table &resolveOperand(Evaluation &ev, const CommandNode &op, int position) {
  int id = operandId(op, position);
  CommandNode &node = operandNode(ev, op, id, position);
  if (node.kind == NodeKind::name) {
    node.result = ev.db.findTable(node.text);
    if (node.result == nullptr) {
      rejectMissingRelation(ev, node);
    }
    return *node.result;
  }
  if (node.kind == NodeKind::otherWord && !node.text.empty()) {
    rejectAsOperator(node);
  }
  if (!isRelational(node.kind)) {
    throw InputError("A(z) " + shownName(op.text) + " operator " + std::to_string(position) +
                         ". operandusa nem relacio.",
                     node.line, node.column);
  }
  // An operand node shared by two operators can stand after one of them.
  if (node.result == nullptr) {
    throw InputError("A(z) " + shownName(op.text) + " operator " + std::to_string(position) +
                         ". operandusa nem ertekelheto ki elotte.",
                     node.line, node.column);
  }
  return *node.result;
}

MergeOperands openMerge(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &a = resolveOperand(ev, node, 1);
  Table &b = resolveOperand(ev, node, 2);
  std::size_t na = columnCount(a);
  std::size_t nb = columnCount(b);
  if (na != nb) {
    throw InputError("A(z) " + shownName(node.text) + " operandusainak oszlopszama elter: " + std::to_string(na) +
                         " es " + std::to_string(nb) + ".",
                     node.line, node.column);
  }
  // Merged under A's header, a char value would be written as an int.
  int position = 1;
  for (const Column *ca = firstColumn(a), *cb = firstColumn(b); ca != nullptr; ca = ca->next, cb = cb->next) {
    if ((ca->width == 0) != (cb->width == 0)) {
      throw InputError("A(z) " + shownName(node.text) + " operandusainak " + std::to_string(position) +
                           ". oszlopa tipusban elter: " + typeText(ca->width) + " es " + typeText(cb->width) + ".",
                       node.line, node.column);
    }
    ++position;
  }
  copyColumns(result, a);
  return {result, a, b};
}
