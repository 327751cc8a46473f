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
#include <bit>
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

// The line start at or after at: at itself where a line starts there.
const char *lineStart(const char *begin, const char *at, const char *limit) {
  if (at == begin || at[-1] == '\n') {
    return at;
  }
  const void *nl = std::memchr(at, '\n', static_cast<std::size_t>(limit - at));
  return nl != nullptr ? static_cast<const char *>(nl) + 1 : limit;
}

// The whole lines from b up to e, both line starts, that belong to the
// relation: it ends just after a line end that an empty line or the text's
// end follows. A last line without a line end is left to the character loop.
Chunk scanLines(const char *b, const char *e, const char *limit, bool &ended) {
  std::size_t count = 0;
  const char *after = b; // just after the last line end seen
  const char *q = b;
  // Eight bytes at a time while no two line ends meet: a flag in the top bit
  // of every byte that is one, exactly (no carry crosses a byte).
  constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7FU;
  constexpr std::uint64_t newlines = 0x0A0A0A0A0A0A0A0AU;
  static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
  for (; e - q > 8; q += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, q, 8);
    std::uint64_t x = word ^ newlines;
    std::uint64_t flags = ~(((x & low7) + low7) | x | low7);
    if ((flags & (flags << 8)) != 0 || (flags >> 63 != 0 && q[8] == '\n')) {
      break; // an empty line near: found byte by byte
    }
    if (flags != 0) {
      // One flag per byte, in its top bit: their sum gathers in the top byte
      // (no library call, where the machine has no population count).
      count += static_cast<std::size_t>(((flags >> 7) * 0x0101010101010101U) >> 56);
      after = q + 8 - std::countl_zero(flags) / 8;
    }
  }
  for (; q < e; ++q) {
    if (*q == '\n') {
      ++count;
      after = q + 1;
      if (after == limit || *after == '\n') {
        ended = true;
        break;
      }
    }
  }
  return {b, after, 0, count, 0, nullptr, {}};
}

// The relation's lines from begin on, cut at line ends into chunks of about
// chunkBytes. Rounds of chunks are scanned on the threads, each round twice
// the last, until one holds the relation's end: a relation followed by
// others is read at most about twice.
std::vector<Chunk> relationChunks(const char *begin, const char *limit) {
  std::vector<Chunk> chunks;
  bool ended = false;
  const char *from = begin;
  for (std::size_t round = 2 * std::size_t{parallelism()}; !ended && from < limit; round *= 2) {
    auto left = static_cast<std::size_t>(limit - from);
    std::size_t pieces = std::min(round, (left + chunkBytes - 1) / chunkBytes);
    auto cut = [&](std::size_t i) {
      return i * chunkBytes >= left ? limit : lineStart(begin, from + i * chunkBytes, limit);
    };
    std::vector<Chunk> scanned(pieces, Chunk{});
    std::vector<char> endsHere(pieces, 0);
    runParts(pieces, [&](std::size_t i) {
      bool end = false;
      scanned[i] = scanLines(cut(i), cut(i + 1), limit, end);
      endsHere[i] = end ? 1 : 0;
    });
    for (std::size_t i = 0; i < pieces && !ended; ++i) {
      if (scanned[i].lines > 0) {
        chunks.push_back(scanned[i]);
      }
      ended = endsHere[i] != 0;
    }
    from = cut(pieces);
  }
  return chunks;
}

} // namespace

void setParallelRowBytes(std::size_t chunk) { chunkBytes = std::max<std::size_t>(chunk, 1); }

std::size_t takePlainRows(CharStream &in, const std::vector<Column *> &columns) {
  if (parallelism() == 1 || columns.empty()) {
    return 0;
  }
  const char *begin = in.position() - 1;
  std::string_view rest = in.rest();
  std::vector<Chunk> chunks = relationChunks(begin, rest.data() + rest.size());
  if (chunks.size() < 2) {
    return 0;
  }
  std::size_t lines = 0;
  for (Chunk &chunk : chunks) {
    chunk.firstRow = lines;
    lines += chunk.lines;
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
