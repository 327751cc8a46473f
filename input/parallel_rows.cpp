// Plain rows read in chunks on the run's threads. A chunk is a run of whole
// lines; a thread reads its rows with plainRow, as the character loop's fast
// path would, into the rows' final places: a row is one line until the first
// row that is not plain, so a chunk's first row is known before any is read.
// Chunks are joined in order up to the first row that is not plain; the
// character loop reads on from there, so a quote that spans lines, a
// doubtful value or a bad row is read, warned about and reported exactly as
// on one thread.
#include "input/parallel_rows.h"

#include "input/blanks.h"
#include "input/plain_row.h"
#include "platform/threads.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

std::size_t chunkBytes = std::size_t{1} << 20;

struct Chunk {
  const char *begin;
  const char *end;                     // just after a line end
  std::size_t firstRow;                // the row of its first line, were every row plain
  std::size_t lines;                   // in it
  std::size_t taken = 0;               // its rows read, from the first on
  const char *stopped;                 // where the first row not taken begins
  std::vector<std::size_t> valueBytes; // per column, of the rows taken
};

// Rows that takePlainRow would take from chunk.begin on, stored at their
// places in columns, whose cells all reach from their base.
void readChunk(Chunk &chunk, const std::vector<Column *> &columns) {
  std::vector<std::string_view> values(columns.size());
  chunk.valueBytes.assign(columns.size(), 0);
  const char *row = chunk.begin;
  std::size_t at = chunk.firstRow;
  for (; row != chunk.end; ++at, ++chunk.taken) {
    const auto *nl = static_cast<const char *>(std::memchr(row, '\n', static_cast<std::size_t>(chunk.end - row)));
    assert(nl != nullptr && "a chunk ends with a line end");
    if (isBlank(*row) && std::all_of(row, nl, isBlank)) {
      break; // a line of blanks ends the relation, with a warning
    }
    if (!plainRow(row, nl, columns, values)) {
      break;
    }
    bool stored = true;
    for (std::size_t i = 0; i < columns.size() && stored; ++i) {
      const Column &c = *columns[i];
      std::string_view v = values[i];
      auto offset = static_cast<std::uintptr_t>(v.data() - c.base);
      stored = (c.width == 0 || v.size() <= static_cast<std::size_t>(c.width)) && v.size() < Column::outlier &&
               offset <= std::numeric_limits<std::uint32_t>::max();
    }
    if (!stored) {
      break; // too long for its width, or a text kept aside: the one-row path's
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
      Column &c = *columns[i];
      std::string_view v = values[i];
      // An empty value is stored as the one-row path stores it.
      c.offsets[at] = v.empty() ? 0 : static_cast<std::uint32_t>(v.data() - c.base);
      c.lengths[at] = static_cast<std::uint8_t>(v.size());
      chunk.valueBytes[i] += v.size();
    }
    row = nl + 1;
  }
  chunk.stopped = row;
}

} // namespace

void setParallelRowBytes(std::size_t chunk) { chunkBytes = std::max<std::size_t>(chunk, 1); }

std::size_t takePlainRows(CharStream &in, const std::vector<Column *> &columns) {
  if (parallelism() == 1 || columns.empty()) {
    return 0;
  }
  const char *begin = in.position() - 1;
  std::string_view rest = in.rest();
  const char *limit = rest.data() + rest.size();
  // The relation's lines up to its empty line, cut into chunks of whole
  // lines; a last line without a line end is left to the character loop.
  std::vector<Chunk> chunks;
  const char *chunkBegin = begin;
  std::size_t lines = 0;
  std::size_t chunkFirst = 0;
  const char *p = begin;
  for (;;) {
    const auto *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(limit - p)));
    if (nl == nullptr) {
      break;
    }
    ++lines;
    p = nl + 1;
    bool last = p == limit || *p == '\n';
    if (last || static_cast<std::size_t>(p - chunkBegin) >= chunkBytes) {
      chunks.push_back({chunkBegin, p, chunkFirst, lines - chunkFirst, 0, nullptr, {}});
      chunkBegin = p;
      chunkFirst = lines;
    }
    if (last) {
      break;
    }
  }
  if (chunks.size() < 2) {
    return 0;
  }
  for (Column *c : columns) {
    assert(c->size() == 0 && "a relation's rows are read once");
    if (c->base == nullptr) {
      c->base = begin;
    }
    c->reserve(lines + 1);
    c->offsets.resize(lines);
    c->lengths.resize(lines);
  }
  runParts(chunks.size(), [&](std::size_t i) { readChunk(chunks[i], columns); });
  std::size_t rows = 0;
  const char *next = begin;
  for (const Chunk &chunk : chunks) {
    rows += chunk.taken;
    next = chunk.stopped;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      columns[i]->valueBytes += chunk.valueBytes[i];
    }
    if (chunk.taken < chunk.lines) {
      break;
    }
  }
  for (Column *c : columns) {
    c->offsets.resize(rows);
    c->lengths.resize(rows);
  }
  if (rows > 0) {
    in.advanceOverLines(next, static_cast<long long>(rows));
  }
  return rows;
}
