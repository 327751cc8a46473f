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
#include <atomic>
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

// Where a thread stores one column's cells: what the loop reads per value,
// kept apart from the column so that no store through a length reloads it.
struct CellSink {
  const char *base;
  std::uint32_t *offsets;
  std::uint8_t *lengths;
  std::size_t width; // no bound for int
  std::size_t bytes; // of the values stored
};

// Rows that takePlainRow would take from chunk.begin on, stored at their
// places in columns, whose cells all reach from their base. A row's values
// go to their places as they are read; one that is not taken after all is
// cut off with the cells after it.
void readChunk(Chunk &chunk, const std::vector<Column *> &columns) {
  std::vector<CellSink> sinks;
  sinks.reserve(columns.size());
  for (Column *c : columns) {
    sinks.push_back({c->base, c->offsets.data(), c->lengths.data(),
                     c->width == 0 ? std::numeric_limits<std::size_t>::max() : static_cast<std::size_t>(c->width), 0});
  }
  CellSink *sink = sinks.data();
  // In locals: the chunk, in memory, would be read again after every store.
  const char *row = chunk.begin;
  const char *end = chunk.end;
  std::size_t at = chunk.firstRow;
  for (; row != end; ++at) {
    const auto *nl = static_cast<const char *>(std::memchr(row, '\n', static_cast<std::size_t>(end - row)));
    assert(nl != nullptr && "a chunk ends with a line end");
    if (isBlank(*row) && std::all_of(row, nl, isBlank)) {
      break; // a line of blanks ends the relation, with a warning
    }
    std::size_t stored = 0;
    bool plain = plainRow(row, nl, columns, [&](std::size_t k, const char *start, const char *finish) {
      auto size = static_cast<std::size_t>(finish - start);
      auto offset = static_cast<std::uintptr_t>(start - sink[k].base);
      // Too long for its width, or a text kept aside: the one-row path's.
      if (size > sink[k].width || size >= Column::outlier || offset > std::numeric_limits<std::uint32_t>::max()) {
        return false;
      }
      // An empty value is stored as the one-row path stores it.
      sink[k].offsets[at] = size == 0 ? 0 : static_cast<std::uint32_t>(offset);
      sink[k].lengths[at] = static_cast<std::uint8_t>(size);
      sink[k].bytes += size;
      ++stored;
      return true;
    });
    if (!plain) {
      for (std::size_t k = 0; k < stored; ++k) {
        sink[k].bytes -= sink[k].lengths[at];
      }
      break;
    }
    row = nl + 1;
  }
  chunk.taken = at - chunk.firstRow;
  chunk.stopped = row;
  chunk.valueBytes.resize(columns.size());
  for (std::size_t k = 0; k < columns.size(); ++k) {
    chunk.valueBytes[k] = sink[k].bytes;
  }
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
  const char *q = b;
  // Eight bytes at a time while no two line ends meet: a flag in the top bit
  // of every byte that is one, exactly (no carry crosses a byte). No branch
  // but the rare one out: where the lines end within a word is unpredictable.
  constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7FU;
  constexpr std::uint64_t newlines = 0x0A0A0A0A0A0A0A0AU;
  static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
  for (; e - q > 8; q += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, q, 8);
    std::uint64_t x = word ^ newlines;
    std::uint64_t flags = ~(((x & low7) + low7) | x | low7);
    std::uint64_t nextIsLineEnd = q[8] == '\n' ? 1 : 0;
    if ((flags & ((flags << 8) | (nextIsLineEnd << 63))) != 0) {
      break; // an empty line near: found byte by byte
    }
    // One flag per byte, in its top bit: their sum gathers in the top byte
    // (no library call, where the machine has no population count).
    count += static_cast<std::size_t>(((flags >> 7) * 0x0101010101010101U) >> 56);
  }
  const char *after = q; // just after the last line end seen
  while (after != b && after[-1] != '\n') {
    --after;
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
    // Pieces after one that holds the end are not the relation's: the last
    // round would otherwise scan on through the relations that follow.
    std::atomic<std::size_t> firstEnd{pieces};
    runParts(pieces, [&](std::size_t i) {
      if (i > firstEnd.load(std::memory_order_relaxed)) {
        return;
      }
      bool end = false;
      scanned[i] = scanLines(cut(i), cut(i + 1), limit, end);
      endsHere[i] = end ? 1 : 0;
      for (std::size_t seen = firstEnd.load(); end && i < seen && !firstEnd.compare_exchange_weak(seen, i);) {
      }
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
