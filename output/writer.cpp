// The result writer. The copy comes from the input as it was read once, so
// the output may name the input file itself, and the input may be a pipe. The
// output file is replaced whole or not at all.
#include "output/writer.h"
#include "diag/shown.h"

#include "diag/messages.h"
#include "platform/output_file.h"
#include "platform/threads.h"
#include "store/error.h"

#include <cstring>
#include <ostream>
#include <string>
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

// Output in blocks: values are copied into one fixed block, which goes out
// whole, with one write per block.
class BlockWriter {
public:
  explicit BlockWriter(std::ostream &out) : out_(out), block_(flushAt) {}
  BlockWriter(const BlockWriter &) = delete;
  BlockWriter &operator=(const BlockWriter &) = delete;
  ~BlockWriter() = default;

  void put(char c) {
    if (used_ == block_.size()) {
      flush();
    }
    block_[used_++] = c;
  }
  void put(std::string_view text) {
    if (text.size() > block_.size() - used_) {
      flush();
      if (text.size() > block_.size()) {
        out_.write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
      }
    }
    if (!text.empty()) { // an empty value's data may be null
      std::memcpy(block_.data() + used_, text.data(), text.size());
      used_ += text.size();
    }
  }
  void flush() {
    out_.write(block_.data(), static_cast<std::streamsize>(used_));
    used_ = 0;
    failed_ = !out_;
  }
  // A stream that failed (a full disk) takes nothing more: formatting the
  // rest of a large result would only waste the time.
  bool failed() const { return failed_; }

private:
  std::ostream &out_;
  std::vector<char> block_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

void writeHeader(const Table &table, BlockWriter &buf) {
  buf.put(table.name);
  buf.put('(');
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    if (c != firstColumn(table)) {
      buf.put(", ");
    }
    buf.put(c->name);
    if (c->width == 0) {
      buf.put(" int");
    } else {
      buf.put(" char(");
      buf.put(std::to_string(c->width));
      buf.put(')');
    }
  }
  buf.put(")\n");
}

void writeRows(const Table &table, BlockWriter &buf) {
  std::vector<const Column *> columns;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    columns.push_back(c);
  }
  std::size_t rows = rowCount(table);
  for (std::size_t row = 0; row < rows && !buf.failed(); ++row) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const Column &column = *columns[i];
      if (row >= column.size()) {
        continue; // a shorter column has nothing for this row
      }
      if (i > 0) {
        buf.put(',');
      }
      if (column.width != 0) {
        buf.put('\'');
        buf.put(column.value(row));
        buf.put('\'');
      } else {
        buf.put(column.value(row));
      }
    }
    buf.put('\n');
  }
}

// Rows of one block formed apart from the others: the same bytes that
// writeRows gives for them.
void formRows(const std::vector<const Column *> &columns, RowRange rows, std::string &text) {
  for (std::size_t row = rows.first; row < rows.last; ++row) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const Column &column = *columns[i];
      if (row >= column.size()) {
        continue;
      }
      if (i > 0) {
        text += ',';
      }
      if (column.width != 0) {
        text += '\'';
        text += column.value(row);
        text += '\'';
      } else {
        text += column.value(row);
      }
    }
    text += '\n';
  }
}

// Blocks of rows formed on the other threads while the caller writes the
// one before; worth it only for results of many rows.
bool writeRowsInBlocks(const Table &table, BlockWriter &buf, std::ostream &out) {
  constexpr std::size_t blockRows = 1 << 12;
  std::size_t rows = rowCount(table);
  if (parallelism() == 1 || rows < 4 * blockRows) {
    return false;
  }
  std::vector<const Column *> columns;
  std::size_t rowBytes = 1;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    columns.push_back(c);
    rowBytes += c->valueBytes / rows + (c->width != 0 ? 3 : 1);
  }
  buf.flush();
  std::size_t blocks = (rows + blockRows - 1) / blockRows;
  runInOrder(
      blocks,
      [&](std::size_t block, std::string &text) {
        text.reserve(blockRows * rowBytes * 5 / 4);
        formRows(columns, partOf(rows, blocks, block, blockRows), text);
      },
      [&](std::size_t, std::string &text) {
        if (out) { // a full disk takes nothing more
          out.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
      });
  return true;
}

// What follows the copy: the ensured empty line and the result.
void writeAfterCopy(std::string_view copy, const Table *result, std::ostream &out) {
  BlockWriter buf(out);
  for (std::size_t n = trailingNewlines(copy); n < 2; ++n) {
    buf.put('\n');
  }
  if (result != nullptr) {
    writeHeader(*result, buf);
    if (!writeRowsInBlocks(*result, buf, out)) {
      writeRows(*result, buf);
    }
    buf.put('\n');
  }
  buf.flush();
}

} // namespace

void writeOutputTo(std::string_view copy, const Table *result, std::ostream &out) {
  // The copy goes out straight from the input text, in one write.
  out.write(copy.data(), static_cast<std::streamsize>(copy.size()));
  writeAfterCopy(copy, result, out);
}

bool writeOutput(FileHead &file, std::string_view copy, const Table *result, std::ostream &console) {
  bool written = file.finish([&](std::ostream &out) { writeAfterCopy(copy, result, out); });
  if (!written) {
    console << std::endl << printable(msg::outputNotWritable(file.path())) << std::endl << std::endl;
  }
  return written;
}
