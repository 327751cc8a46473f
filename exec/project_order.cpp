// Every value becomes a 32-bit key whose order is the column's order, so that
// the sort moves small fixed-size entries instead of chasing texts: int
// columns by their number, char columns by the rank of the text among the
// column's distinct texts. Columns are folded in one at a time: the dense
// rank of the rows by the columns so far, paired with the next column's key,
// sorts into the rank by one more column. The row number breaks ties, which
// makes the order stable and puts the first of equal rows first.
#include "exec/project_order.h"

#include "store/int_value.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace {

using Key = std::uint32_t;

// Packed to 12 bytes: two arrays of these are the sort's largest memory.
#pragma pack(push, 4)
struct Entry {
  std::uint64_t key;
  Key row;
};
#pragma pack(pop)
static_assert(sizeof(Entry) == 12);

// One column's values, as the input gives them.
struct ColumnValues {
  const ProjectionInput &input;
  std::size_t column;

  [[nodiscard]] std::size_t size() const { return input.rows; }
  std::string_view operator[](std::size_t row) const { return input.value(column, row); }
};

std::vector<Key> intKeys(const ColumnValues &values) {
  std::vector<Key> keys(values.size());
  for (std::size_t r = 0; r < values.size(); ++r) {
    // Flipping the sign bit turns signed order into unsigned order.
    keys[r] = static_cast<Key>(toInt32(values[r])) ^ 0x80000000U;
  }
  return keys;
}

// The first eight bytes, big-endian and zero-padded: ordering these agrees
// with byte order wherever they differ.
std::uint64_t prefixOf(std::string_view text) {
  std::uint64_t prefix = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    prefix <<= 8;
    if (i < text.size()) {
      prefix |= static_cast<unsigned char>(text[i]);
    }
  }
  return prefix;
}

// Each row's text as an index into the column's distinct texts, found by
// hashing, so that a text repeated many times is sorted once.
class DistinctTexts {
public:
  explicit DistinctTexts(const ColumnValues &values) : values_(values), ids_(values.size()) {
    resize(1024);
    for (std::size_t r = 0; r < values.size(); ++r) {
      ids_[r] = find(static_cast<Key>(r));
    }
  }

  // Dense ranks in byte order, one per row.
  std::vector<Key> ranks() const {
    std::vector<Entry> order(firstRows_.size());
    for (std::size_t d = 0; d < firstRows_.size(); ++d) {
      order[d] = {prefixOf(values_[firstRows_[d]]), static_cast<Key>(d)};
    }
    std::sort(order.begin(), order.end(), [&](const Entry &a, const Entry &b) {
      if (a.key != b.key) {
        return a.key < b.key;
      }
      return values_[firstRows_[a.row]] < values_[firstRows_[b.row]];
    });
    std::vector<Key> rankOf(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
      rankOf[order[i].row] = static_cast<Key>(i);
    }
    std::vector<Key> ranks(ids_.size());
    for (std::size_t r = 0; r < ids_.size(); ++r) {
      ranks[r] = rankOf[ids_[r]];
    }
    return ranks;
  }

private:
  static constexpr Key empty = std::numeric_limits<Key>::max();

  Key find(Key row) {
    std::string_view text = values_[row];
    std::size_t hash = std::hash<std::string_view>{}(text);
    for (std::size_t slot = hash & mask_;; slot = (slot + 1) & mask_) {
      Key d = slots_[slot];
      if (d == empty) {
        d = static_cast<Key>(firstRows_.size());
        slots_[slot] = d;
        firstRows_.push_back(row);
        hashes_.push_back(hash);
        if (firstRows_.size() * 2 > slots_.size()) {
          resize(slots_.size() * 2);
        }
        return d;
      }
      if (hashes_[d] == hash && values_[firstRows_[d]] == text) {
        return d;
      }
    }
  }

  void resize(std::size_t capacity) {
    slots_.assign(capacity, empty);
    mask_ = capacity - 1;
    for (std::size_t d = 0; d < hashes_.size(); ++d) {
      std::size_t slot = hashes_[d] & mask_;
      while (slots_[slot] != empty) {
        slot = (slot + 1) & mask_;
      }
      slots_[slot] = static_cast<Key>(d);
    }
  }

  const ColumnValues &values_;
  std::vector<Key> ids_;
  std::vector<Key> firstRows_; // per distinct text, the first row holding it
  std::vector<std::size_t> hashes_;
  std::vector<Key> slots_;
  std::size_t mask_ = 0;
};

std::vector<Key> columnKeys(const ProjectionInput &input, std::size_t column) {
  ColumnValues values{input, column};
  return input.widths[column] == 0 ? intKeys(values) : DistinctTexts(values).ranks();
}

// Least significant byte first, each pass stable, so that entries made in
// row order come out ordered by key and then by row. Bytes in which no two
// keys differ are skipped: ranks and small numbers leave most of them alike.
void radixSort(std::vector<Entry> &entries) {
  std::uint64_t differing = 0;
  for (const Entry &e : entries) {
    differing |= e.key ^ entries.front().key;
  }
  std::vector<Entry> sorted(entries.size());
  for (int shift = 0; shift < 64; shift += 8) {
    if (((differing >> shift) & 0xFFU) == 0) {
      continue;
    }
    std::array<std::size_t, 256> start{};
    for (const Entry &e : entries) {
      ++start[(e.key >> shift) & 0xFFU];
    }
    std::size_t sum = 0;
    for (std::size_t &s : start) {
      std::size_t count = s;
      s = sum;
      sum += count;
    }
    for (const Entry &e : entries) {
      sorted[start[(e.key >> shift) & 0xFFU]++] = e;
    }
    entries.swap(sorted);
  }
}

std::vector<Entry> sortedEntries(const std::vector<Key> &major, const std::vector<Key> &minor) {
  std::vector<Entry> entries(major.size());
  for (std::size_t r = 0; r < major.size(); ++r) {
    entries[r] = {(std::uint64_t{major[r]} << 32) | minor[r], static_cast<Key>(r)};
  }
  radixSort(entries);
  return entries;
}

} // namespace

std::vector<std::size_t> projectionOrder(const ProjectionInput &input) {
  std::size_t rows = input.widths.empty() ? 0 : input.rows;
  if (rows < 2) {
    std::vector<std::size_t> order(rows);
    std::iota(order.begin(), order.end(), std::size_t{0});
    return order;
  }
  if (rows >= std::numeric_limits<Key>::max()) {
    throw std::length_error("projection of too many rows");
  }
  std::size_t columns = input.widths.size();
  std::vector<Key> rank = columnKeys(input, 0);
  std::vector<Entry> entries = sortedEntries(rank, columns > 1 ? columnKeys(input, 1) : std::vector<Key>(rows));
  for (std::size_t c = 2; c < columns; ++c) {
    Key dense = 0;
    for (std::size_t i = 0; i < rows; ++i) {
      if (i > 0 && entries[i].key != entries[i - 1].key) {
        ++dense;
      }
      rank[entries[i].row] = dense;
    }
    if (dense == rows - 1) {
      break; // every row apart already: later columns cannot reorder them
    }
    entries = sortedEntries(rank, columnKeys(input, c));
  }
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < rows; ++i) {
    if (i == 0 || entries[i].key != entries[i - 1].key) {
      order.push_back(entries[i].row);
    }
  }
  return order;
}
