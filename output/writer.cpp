// The result writer. The input is read whole before the output is opened, so
// that an output path naming the input file loses nothing.
#include "output/writer.h"

#include "app/native_path.h"

#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

namespace {

constexpr std::size_t flushAt = 1 << 16;

bool readWhole(const std::string &path, std::string &text) {
  std::ifstream in(nativePath(path), std::ios::binary);
  if (!in.is_open()) {
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
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
  std::size_t rows = rowCount(table);
  for (std::size_t row = 0; row < rows; ++row) {
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

void foldLineEnds(std::string &text) {
  std::size_t w = 0;
  for (std::size_t r = 0; r < text.size(); ++r) {
    if (text[r] == '\r' && r + 1 < text.size() && text[r + 1] == '\n') {
      continue;
    }
    text[w++] = text[r];
  }
  text.resize(w);
}

const Table *rootResult(const Database &db) {
  const CommandNode *root = db.commands->next;
  return root != nullptr ? root->result : nullptr;
}

void writeOutputTo(std::string_view copy, const Database &db, std::ostream &out) {
  out.write(copy.data(), static_cast<std::streamsize>(copy.size()));
  std::size_t trailing = 0;
  while (trailing < 2 && trailing < copy.size() && copy[copy.size() - 1 - trailing] == '\n') {
    ++trailing;
  }
  std::string buf(2 - trailing, '\n');
  if (const Table *result = rootResult(db)) {
    writeHeader(*result, buf);
    writeRows(*result, buf, out);
    buf += '\n';
  }
  out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
}

int writeOutput(const std::string &inputPath, const std::string &outputPath, Database &db, std::ostream &console) {
  std::string copy;
  if (!readWhole(inputPath, copy)) {
    console << std::endl << "A(z) " << inputPath << " file nem letezik." << std::endl << std::endl;
    return 1;
  }
  foldLineEnds(copy);
  std::ofstream out(nativePath(outputPath), std::ios::binary | std::ios::trunc);
  bool written = out.is_open();
  if (written) {
    writeOutputTo(copy, db, out);
    out.close(); // a full disk shows only when the last block is flushed
    written = !out.fail();
  }
  if (written) {
    return 0;
  }
  console << std::endl << "A(z) " << outputPath << " file nem irhato." << std::endl << std::endl;
  return 1;
}
