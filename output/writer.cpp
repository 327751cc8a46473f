// The result writer. The copy comes from the input as it was read once, so
// the output may name the input file itself, and the input may be a pipe. The
// output file is replaced whole or not at all.
#include "diag/shown.h"
#include "output/writer.h"

#include "platform/output_file.h"
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

} // namespace

void writeOutputTo(std::string_view copy, const Table *result, std::ostream &out) {
  // The copy goes out straight from the input text, in one write.
  out.write(copy.data(), static_cast<std::streamsize>(copy.size()));
  BlockWriter buf(out);
  for (std::size_t n = trailingNewlines(copy); n < 2; ++n) {
    buf.put('\n');
  }
  if (result != nullptr) {
    writeHeader(*result, buf);
    writeRows(*result, buf);
    buf.put('\n');
  }
  buf.flush();
}

bool writeOutput(const std::string &outputPath, std::string_view copy, const Table *result, std::ostream &console) {
  bool written = writeFileWhole(outputPath, [&](std::ostream &out) { writeOutputTo(copy, result, out); });
  if (!written) {
    console << std::endl << "A(z) " << printable(outputPath) << " file nem irhato." << std::endl << std::endl;
  }
  return written;
}
