// Operand resolution, result creation, and the row copy and comparison that
// every operator shares.
#include "exec/rows.h"

#include "exec/project_order.h"

#include "platform/threads.h"
#include "store/error.h"
#include "store/int_value.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Byte order of two texts, eight bytes at a time and without a library call:
// most values are a few bytes long, where calling memcmp costs more than the
// comparing. Words are compared with their first byte as the most
// significant; the last few bytes are read as one word too, in pieces that
// may overlap, which keeps their order since what overlaps is equal.
[[gnu::always_inline]] inline int compareBytes(std::string_view a, std::string_view b) {
  static_assert(std::endian::native == std::endian::little, "words are byte-swapped to compare");
  auto word = [](const char *p) {
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    return __builtin_bswap64(w);
  };
  auto tail = [](const char *p, std::size_t n) -> std::uint64_t {
    if (n >= 4) {
      std::uint32_t head = 0;
      std::uint32_t last = 0;
      std::memcpy(&head, p, 4);
      std::memcpy(&last, p + n - 4, 4);
      return (std::uint64_t{__builtin_bswap32(head)} << 32U) | __builtin_bswap32(last);
    }
    if (n == 0) {
      return 0;
    }
    auto byte = [p](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
    return (byte(0) << 16U) | (byte(n / 2) << 8U) | byte(n - 1);
  };
  std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x = word(a.data() + i);
    std::uint64_t y = word(b.data() + i);
    if (x != y) {
      return x < y ? -1 : 1;
    }
  }
  std::uint64_t x = tail(a.data() + i, n - i);
  std::uint64_t y = tail(b.data() + i, n - i);
  if (x != y) {
    return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

int compareValues(std::int32_t width, std::string_view a, std::string_view b) {
  if (width == 0) {
    std::int32_t x = toInt32(a);
    std::int32_t y = toInt32(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  return compareBytes(a, b);
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
    // The same text is the same number, and cheaper to see.
    int c = compareBytes(a.value(i), b.value(i));
    if (c != 0 && a.widths[i] == 0) {
      std::int32_t x = a.number(i);
      std::int32_t y = b.number(i);
      c = x < y ? -1 : (x > y ? 1 : 0);
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

bool appendRowsInParts(const std::vector<Column *> &targets, const std::vector<const Column *> &sources,
                       const std::vector<std::size_t> &rows) {
  constexpr std::size_t partRows = std::size_t{1} << 16;
  if (parallelism() == 1 || rows.size() < 4 * partRows) {
    return false;
  }
  std::size_t first = 0;
  for (const Column *target : targets) {
    if (target->base == nullptr) {
      return false; // the first text appended sets it
    }
    first = target->size();
  }
  std::size_t parts = (rows.size() + partRows - 1) / partRows;
  std::vector<PlacedCells> placed(parts, PlacedCells(targets.size()));
  for (Column *target : targets) {
    target->offsets.resize(first + rows.size());
    target->lengths.resize(first + rows.size());
  }
  runParts(parts, [&](std::size_t part) {
    RowRange range = partOf(rows.size(), parts, part);
    for (std::size_t col = 0; col < targets.size(); ++col) {
      for (std::size_t k = range.first; k < range.last; ++k) {
        placed[part].put(*targets[col], col, first + k, *sources[col], rows[k]);
      }
    }
  });
  for (const PlacedCells &part : placed) {
    part.takeIn(targets);
  }
  return true;
}

void PlacedCells::takeIn(const std::vector<Column *> &targets) const {
  for (const Aside &a : aside_) {
    Column &target = *targets[a.column];
    Cell cell = cellAside(target, a.text);
    target.offsets[a.at] = cell.offset;
    target.lengths[a.at] = cell.length;
  }
  for (std::size_t col = 0; col < targets.size(); ++col) {
    targets[col]->valueBytes += bytes_[col];
  }
}

void appendDistinctAscending(Table &result, const std::vector<const Column *> &sources,
                             const std::vector<std::size_t> &rows) {
  ProjectionInput input;
  for (const Column *c : sources) {
    input.widths.push_back(c->width);
  }
  input.rows = rows.size();
  input.value = [&](std::size_t column, std::size_t row) { return sources[column]->value(rows[row]); };
  std::vector<std::size_t> order = projectionOrder(input);
  std::vector<Column *> targets = appendTargets(result, order.size());
  for (std::size_t col = 0; col < targets.size(); ++col) {
    for (std::size_t k : order) {
      appendCell(*targets[col], *sources[col], rows[k]);
    }
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
    last->qualifier = qualifierOf(source, *c);
  }
}

void copyOperandColumns(Table &result, const Table &operand) {
  Column *last = result.schema;
  while (last->next != nullptr) {
    last = last->next;
  }
  copyColumns(result, operand);
  for (Column *c = last->next; c != nullptr; c = c->next) {
    c->qualifier = operandQualifier(operand);
  }
}

CommandNode &operandNode(Evaluation &ev, const CommandNode &op, int id, int position) {
  CommandNode *node = id > 0 ? ev.command.findNode(id) : nullptr;
  if (node == nullptr) {
    throw InternalError("operand " + std::to_string(position) + " of " + op.text + " missing after the check");
  }
  return *node;
}

Table &resolveOperand(Evaluation &ev, const CommandNode &op, int position) {
  CommandNode &node = operandNode(ev, op, operandId(op, position), position);
  if (node.kind == NodeKind::name) {
    node.result = ev.db.findTable(node.text);
  }
  if (node.result == nullptr) {
    throw InternalError("operand " + std::to_string(position) + " of " + op.text + " unresolved after the check");
  }
  return *node.result;
}

MergeOperands openMerge(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &a = resolveOperand(ev, node, 1);
  Table &b = resolveOperand(ev, node, 2);
  // The check found their columns alike in number and kind.
  assert(columnCount(a) == columnCount(b));
  copyColumns(result, a);
  return {result, a, b};
}
