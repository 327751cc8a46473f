// The result writer. The copy comes from the input as it was read once, so
// the output may name the input file itself, and the input may be a pipe. The
// output file is replaced whole or not at all.
#include "output/writer.h"

#include "platform/output_file.h"

#include <ostream>
#include <vector>

namespace {

constexpr std::size_t flushAt = 1 << 16;

// Newline bytes that end text, at most 2.
std::size_t trailingNewlines(std::string_view text) {
  std::size_t n = 0;
  while (n < 2 && n < text.size() && text[text.size() - 1 - n] == '\n') {
    ++n;
  }
  return n;
}

void writeHeader(const Table &table, std::string &buf) {
  buf += table.name;
  buf += '(';
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    if (c != firstColumn(table)) {
      buf += ", ";
    }
    buf += c->name;
    if (c->width == 0) {
      buf += " int";
    } else {
      buf += " char(";
      buf += std::to_string(c->width);
      buf += ')';
    }
  }
  buf += ")\n";
}

void writeRows(const Table &table, std::string &buf, std::ostream &out) {
  std::vector<const Cell *> cells;
  std::vector<bool> quoted;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    cells.push_back(c->cells->next);
    quoted.push_back(c->width != 0);
  }
  // The first column sets the row count; counting it first would cost a
  // pass over its cells.
  while (!cells.empty() && cells.front() != nullptr) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const Cell *cell = cells[i];
      if (cell == nullptr) {
        continue; // a shorter column has nothing for this row
      }
      if (i > 0) {
        buf += ',';
      }
      if (quoted[i]) {
        buf += '\'';
      }
      buf += cell->value;
      if (quoted[i]) {
        buf += '\'';
      }
      cells[i] = cell->next;
    }
    buf += '\n';
    if (buf.size() >= flushAt) {
      out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
      buf.clear();
    }
  }
}

} // namespace

void writeOutputTo(std::string_view copy, const Table *result, std::ostream &out) {
  out.write(copy.data(), static_cast<std::streamsize>(copy.size()));
  std::size_t trailing = trailingNewlines(copy);
  std::string buf(trailing < 2 ? 2 - trailing : 0, '\n');
  if (result != nullptr) {
    writeHeader(*result, buf);
    writeRows(*result, buf, out);
    buf += '\n';
  }
  out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
}

bool writeOutput(const std::string &outputPath, std::string_view copy, const Table *result, std::ostream &console) {
  bool written = writeFileWhole(outputPath, [&](std::ostream &out) { writeOutputTo(copy, result, out); });
  if (!written) {
    console << std::endl << "A(z) " << outputPath << " file nem irhato." << std::endl << std::endl;
  }
  return written;
}
