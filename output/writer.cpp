// The result writer. The input is copied to the output in blocks; only when
// the output path names the input file itself is the input read whole before
// the output is opened, so that nothing of it is lost.
#include "output/writer.h"

#include "app/native_path.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>
#include <vector>

namespace {

constexpr std::size_t flushAt = 1 << 16;
constexpr std::size_t blockSize = 1 << 16;

bool readWhole(std::istream &in, std::string &text) {
  std::vector<char> block(blockSize);
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    text.append(block.data(), static_cast<std::size_t>(in.gcount()));
  }
  return !in.bad();
}

// Newline bytes that end text, at most 2.
std::size_t trailingNewlines(std::string_view text) {
  std::size_t n = 0;
  while (n < 2 && n < text.size() && text[text.size() - 1 - n] == '\n') {
    ++n;
  }
  return n;
}

// Folds CR LF in place within [begin, end); a CR that ends the range is left
// out and reported, since the next block decides what it is.
char *foldBlock(char *begin, char *end, bool &heldCr) {
  char *w = begin;
  for (char *r = begin; r < end;) {
    auto *cr = static_cast<char *>(std::memchr(r, '\r', static_cast<std::size_t>(end - r)));
    char *stop = cr != nullptr ? cr : end;
    std::memmove(w, r, static_cast<std::size_t>(stop - r));
    w += stop - r;
    if (cr == nullptr) {
      break;
    }
    if (cr + 1 == end) {
      heldCr = true;
      break;
    }
    if (cr[1] != '\n') {
      *w++ = '\r';
    }
    r = cr + 1;
  }
  return w;
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

std::size_t copyFolded(std::istream &in, std::ostream &out) {
  std::vector<char> block(blockSize);
  std::size_t trailing = 0;
  bool heldCr = false;
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    char *begin = block.data();
    char *end = begin + in.gcount();
    if (heldCr) {
      heldCr = false;
      if (*begin != '\n') {
        out.put('\r');
        trailing = 0;
      }
    }
    char *w = foldBlock(begin, end, heldCr);
    auto size = static_cast<std::size_t>(w - begin);
    out.write(begin, static_cast<std::streamsize>(size));
    std::size_t n = trailingNewlines({begin, size});
    trailing = n == size ? std::min<std::size_t>(2, trailing + n) : n;
  }
  if (heldCr) {
    out.put('\r');
    trailing = 0;
  }
  return trailing;
}

void writeResultAfter(std::size_t trailing, const Database &db, std::ostream &out) {
  std::string buf(trailing < 2 ? 2 - trailing : 0, '\n');
  if (const Table *result = rootResult(db)) {
    writeHeader(*result, buf);
    writeRows(*result, buf, out);
    buf += '\n';
  }
  out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
}

void writeOutputTo(std::string_view copy, const Database &db, std::ostream &out) {
  out.write(copy.data(), static_cast<std::streamsize>(copy.size()));
  writeResultAfter(trailingNewlines(copy), db, out);
}

int writeOutput(const std::string &inputPath, const std::string &outputPath, Database &db, std::ostream &console) {
  std::ifstream in(nativePath(inputPath), std::ios::binary);
  std::error_code ignored;
  bool sameFile = in.is_open() && std::filesystem::equivalent(nativePath(inputPath), nativePath(outputPath), ignored);
  std::string whole;
  if (!in.is_open() || (sameFile && !readWhole(in, whole))) {
    console << std::endl << "A(z) " << inputPath << " file nem letezik." << std::endl << std::endl;
    return 1;
  }
  std::ofstream out(nativePath(outputPath), std::ios::binary | std::ios::trunc);
  bool written = out.is_open();
  bool readFailed = false;
  if (written) {
    if (sameFile) {
      foldLineEnds(whole);
      writeOutputTo(whole, db, out);
    } else {
      std::size_t trailing = copyFolded(in, out);
      readFailed = in.bad();
      writeResultAfter(trailing, db, out);
    }
    out.close(); // a full disk shows only when the last block is flushed
    written = !out.fail();
  }
  if (readFailed) {
    console << std::endl << "A(z) " << inputPath << " file nem letezik." << std::endl << std::endl;
    return 1;
  }
  if (written) {
    return 0;
  }
  console << std::endl << "A(z) " << outputPath << " file nem irhato." << std::endl << std::endl;
  return 1;
}
