// Every value becomes a 32-bit key: an int column's by its number, a char
// column's as the id of its text among the distinct texts of all char
// columns. A row is then the tuple of its keys, and the distinct rows are
// found by hashing those tuples, so that neither the hashing nor the sort
// reads a text twice and the sort sees each distinct row once however often
// it repeats (where few rows repeat, it sees them all and drops the repeats
// after). For the sort a text's id is replaced by its rank in byte order,
// and columns are folded in one at a time: the dense rank of the rows by the
// columns so far, paired with the next column's key, sorts into the rank by
// one more column.
#include "exec/project_order.h"

#include "platform/threads.h"
#include "store/int_value.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

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

// A hint that p will soon be read, for loads whose addresses are known well
// before their values are needed.
void prefetch(const void *p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

std::uint64_t mix(std::uint64_t h) {
  h ^= h >> 31;
  h *= 0x9E3779B97F4A7C15U;
  return h ^ (h >> 29);
}

// Ids 0, 1, 2, ... in order of first insertion, by open addressing over the
// top bits of their hashes. The caller tells whether an id is the entry
// sought, and the hash of any entry it has recorded, for growing. A tagged
// table keeps the top half of each entry's hash beside its id, so that a
// probe reads an entry only when it likely is the one sought: worth twice
// the room where reading an entry is costly.
template <bool tagged> class IdTable {
public:
  // The id of the entry that `same` accepts among those with this hash; if
  // there is none, the next id, taken by a new entry that the caller records.
  template <class Same, class HashOf> Key find(std::uint64_t hash, Same same, HashOf hashOf) {
    if (std::uint64_t{count_} * 2 >= slots_.size()) {
      grow(hashOf);
    }
    Slot tag = tagOf(hash);
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash >> (64 - bits_);; i = (i + 1) & mask) {
      Slot slot = slots_[i];
      if (slot == 0) {
        slots_[i] = tag | (Slot{count_} + 1);
        return count_++;
      }
      auto id = static_cast<Key>(slot - 1);
      if ((slot & ~Slot{0xFFFFFFFFU}) == tag && same(id)) {
        return id;
      }
    }
  }

  // The slot where a search for this hash starts, to fetch ahead.
  [[nodiscard]] const void *home(std::uint64_t hash) const {
    return slots_.empty() ? nullptr : &slots_[hash >> (64 - bits_)];
  }

  // The id in that slot, if any.
  [[nodiscard]] std::optional<Key> atHome(std::uint64_t hash) const {
    Slot slot = slots_.empty() ? 0 : slots_[hash >> (64 - bits_)];
    return slot == 0 ? std::nullopt : std::optional<Key>(static_cast<Key>(slot - 1));
  }

private:
  // Ids are kept plus one, so that 0 marks an empty slot.
  using Slot = std::conditional_t<tagged, std::uint64_t, std::uint32_t>;

  static Slot tagOf(std::uint64_t hash) {
    if constexpr (tagged) {
      return hash & ~std::uint64_t{0xFFFFFFFFU};
    } else {
      return 0;
    }
  }

  template <class HashOf> void grow(HashOf hashOf) {
    if (bits_ == 32) {
      throw std::length_error("projection of too many rows");
    }
    ++bits_;
    slots_.assign(std::size_t{1} << bits_, 0);
    std::size_t mask = slots_.size() - 1;
    for (Key id = 0; id < count_; ++id) {
      std::uint64_t hash = hashOf(id);
      std::size_t i = hash >> (64 - bits_);
      while (slots_[i] != 0) {
        i = (i + 1) & mask;
      }
      slots_[i] = tagOf(hash) | (Slot{id} + 1);
    }
  }

  // Empty until the first search: a projection may have millions of columns.
  int bits_ = 3;
  Key count_ = 0;
  std::vector<Slot> slots_;
};

// Eight bytes at a time, inline: texts are mostly a few bytes long, where a
// library call costs more than the hashing.
std::uint64_t hashText(std::string_view text) {
  std::uint64_t hash = mix(text.size() + 0x9E3779B97F4A7C15U);
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    hash = mix(hash ^ word);
  }
  if (i < text.size()) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, text.size() - i);
    hash = mix(hash ^ word);
  }
  return hash;
}

// Whether two texts are the same, without a library call (as hashText).
bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  std::size_t i = 0;
  for (; i + 8 <= a.size(); i += 8) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x != y) {
      return false;
    }
  }
  for (; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      return false;
    }
  }
  return true;
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

// The distinct texts of a projection's char columns, by id.
class TextIds {
public:
  Key idOf(std::string_view text, std::uint64_t hash) {
    auto same = [&](Key d) { return sameText(texts_[d], text); };
    auto hashOf = [&](Key d) { return hashText(texts_[d]); };
    Key id = table_.find(hash, same, hashOf);
    if (id == texts_.size()) {
      texts_.push_back(keep(text));
    }
    return id;
  }

  // Fetching ahead the three reads of a search, each once the one before
  // has arrived: the home slot, the text's view it names, the text.
  void fetchSlot(std::uint64_t hash) const { prefetch(table_.home(hash)); }
  void fetchView(std::uint64_t hash) const {
    if (std::optional<Key> d = table_.atHome(hash)) {
      prefetch(&texts_[*d]);
    }
  }
  void fetchText(std::uint64_t hash) const {
    if (std::optional<Key> d = table_.atHome(hash)) {
      prefetch(texts_[*d].data());
    }
  }

  // The ids here of other's texts, by their ids there; those new here are
  // added. A text kept here as other holds it may view other's copy, once
  // this table's own copies are full: other's copies move here with it.
  std::vector<Key> adopt(TextIds &other) {
    std::vector<Key> idHere(other.texts_.size());
    for (std::size_t d = 0; d < idHere.size(); ++d) {
      idHere[d] = idOf(other.texts_[d], hashText(other.texts_[d]));
    }
    for (std::vector<std::unique_ptr<char[]>> *copies : {&other.chunks_, &other.adopted_}) {
      std::move(copies->begin(), copies->end(), std::back_inserter(adopted_));
      copies->clear();
    }
    return idHere;
  }

  // Each id's rank in byte order of the texts.
  [[nodiscard]] std::vector<Key> ranks() const {
    std::vector<Entry> order(texts_.size());
    for (std::size_t d = 0; d < texts_.size(); ++d) {
      order[d] = {prefixOf(texts_[d]), static_cast<Key>(d)};
    }
    std::sort(order.begin(), order.end(), [&](const Entry &a, const Entry &b) {
      if (a.key != b.key) {
        return a.key < b.key;
      }
      return texts_[a.row] < texts_[b.row];
    });
    std::vector<Key> rankOf(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
      rankOf[order[i].row] = static_cast<Key>(i);
    }
    return rankOf;
  }

private:
  static constexpr std::size_t chunkSize = std::size_t{64} * 1024;
  static constexpr std::size_t maxChunks = 64;

  // Every repeat of a text is compared with its first; short texts are
  // copied and packed together, where they stay in cache while the input's
  // bytes would not. Beyond a few MiB of them, texts are compared in place.
  std::string_view keep(std::string_view text) {
    if (text.size() > chunkSize / 256) {
      return text;
    }
    if (chunks_.empty() || used_ + text.size() > chunkSize) {
      if (chunks_.size() == maxChunks) {
        return text;
      }
      chunks_.push_back(std::make_unique<char[]>(chunkSize));
      used_ = 0;
    }
    char *copy = chunks_.back().get() + used_;
    std::copy(text.begin(), text.end(), copy);
    used_ += text.size();
    return {copy, text.size()};
  }

  IdTable<true> table_;
  std::vector<std::string_view> texts_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::vector<std::unique_ptr<char[]>> adopted_; // copies that other tables made
  std::size_t used_ = 0;
};

template <class It> std::uint64_t hashKeys(It begin, It end) {
  std::uint64_t hash = 0;
  for (It k = begin; k != end; ++k) {
    hash = mix(hash ^ *k);
  }
  return hash;
}

// The distinct rows of one or two columns, each row's keys packed into one
// word kept in the slot itself: a probe reads the slot and nothing else,
// where a table of ids would read the row's keys from elsewhere as well.
class PackedRows {
public:
  explicit PackedRows(std::size_t columns) : columns_(columns) { assert(columns == 1 || columns == 2); }

  [[nodiscard]] std::uint64_t pack(const Key *keys) const {
    return columns_ == 1 ? keys[0] : (std::uint64_t{keys[0]} << 32) | keys[1];
  }

  // Whether the row was not in the set before; it is now.
  bool insert(std::uint64_t row, std::uint64_t hash) {
    if (row == empty) {
      return !std::exchange(holdsEmpty_, true);
    }
    if (count_ * 2 >= slots_.size()) {
      grow();
    }
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash >> (64 - bits_);; i = (i + 1) & mask) {
      if (slots_[i] == row) {
        return false;
      }
      if (slots_[i] == empty) {
        slots_[i] = row;
        ++count_;
        return true;
      }
    }
  }

  // The slot where a search for this hash starts, to fetch ahead.
  [[nodiscard]] const void *home(std::uint64_t hash) const {
    return slots_.empty() ? nullptr : &slots_[hash >> (64 - bits_)];
  }

private:
  // All ones packs no row but two ints both at their largest (a text's id is
  // below the row count); holdsEmpty_ stands for that row.
  static constexpr std::uint64_t empty = ~std::uint64_t{0};

  [[nodiscard]] std::uint64_t hashOf(std::uint64_t row) const {
    std::array<Key, 2> keys{static_cast<Key>(row >> 32), static_cast<Key>(row)};
    return columns_ == 1 ? hashKeys(&keys[1], &keys[1] + 1) : hashKeys(keys.begin(), keys.end());
  }

  void grow() {
    std::vector<std::uint64_t> old(std::size_t{1} << (bits_ + 1), empty);
    old.swap(slots_);
    ++bits_;
    std::size_t mask = slots_.size() - 1;
    for (std::uint64_t row : old) {
      if (row != empty) {
        std::size_t i = hashOf(row) >> (64 - bits_);
        while (slots_[i] != empty) {
          i = (i + 1) & mask;
        }
        slots_[i] = row;
      }
    }
  }

  std::size_t columns_;
  int bits_ = 3;
  std::size_t count_ = 0;
  std::vector<std::uint64_t> slots_;
  bool holdsEmpty_ = false;
};

// The rows to sort, with the keys of their values.
struct RowKeys {
  std::size_t columns = 0;
  std::vector<Key> keys; // columns per kept row; texts by rank
  std::vector<Key> rows; // per kept row, its row in the input, ascending
};

// Finds the RowKeys in one pass: of each group of equal rows the first in
// input order, as long as hashing goes on; every row after it stops. Its
// tables go before the sort, which needs room of its own.
//
// The tables outgrow the caches, so rows go in batches, each step over the
// whole batch fetching ahead what the next one reads: the texts' home slots,
// the views in them, the texts; then the keys and the row's home slot, the
// keys in it; then the row searches, which find all of it in cache. Wide rows
// make small batches, to keep their keys in cache.
class RowKeyReader {
public:
  // Reads the input's rows [first, last).
  RowKeyReader(const ProjectionInput &input, std::size_t first, std::size_t last)
      : input_(input), columns_(input.widths.size()),
        batch_(std::clamp<std::size_t>(4096 / (columns_ + 1), 1, maxBatch)), first_(first), last_(last),
        pending_(batch_ * columns_), values_(batch_ * columns_), textHashes_(batch_ * columns_) {
    if (columns_ <= 2) {
      packed_.emplace(columns_);
    }
    for (std::size_t start = first; start < last; start += batch_) {
      std::size_t n = std::min(batch_, last - start);
      readBatch(start, n);
      eachText(n, [&](std::uint64_t h) { texts_.fetchView(h); });
      eachText(n, [&](std::uint64_t h) { texts_.fetchText(h); });
      keyBatch(n);
      if (hashing_) {
        keepDistinct(start, n);
      } else {
        keep(start, pending_.data(), n);
      }
    }
  }

  // Takes in the rows that other kept, all of which come after this one's:
  // those not seen here are kept, their texts given ids here.
  void absorb(RowKeyReader &other) {
    std::vector<Key> idHere = texts_.adopt(other.texts_);
    for (std::size_t k = 0; k < other.keys_.size(); ++k) {
      if (input_.widths[k % columns_] != 0) {
        other.keys_[k] = idHere[other.keys_[k]];
      }
    }
    // Rows that other kept unhashed may repeat each other: past them, as
    // past any row kept unhashed, repeats are dropped after the sort.
    if (!other.hashing_) {
      stopHashing();
    }
    // Each row's home slot fetched some rows ahead of its search, which
    // would otherwise wait for memory every time.
    constexpr std::size_t ahead = 16;
    std::array<std::uint64_t, ahead> hashes{};
    auto fetch = [&](std::size_t r) {
      const Key *k = &other.keys_[r * columns_];
      hashes[r % ahead] = hashKeys(k, k + columns_);
      if (hashing_) {
        prefetch(packed_ ? packed_->home(hashes[r % ahead]) : table_.home(hashes[r % ahead]));
      }
    };
    std::size_t count = other.rows_.size();
    for (std::size_t r = 0; r < std::min(ahead, count); ++r) {
      fetch(r);
    }
    for (std::size_t r = 0; r < count; ++r) {
      const Key *k = &other.keys_[r * columns_];
      std::uint64_t hash = hashes[r % ahead];
      if (r + ahead < count) {
        fetch(r + ahead);
      }
      if (!hashing_ || isNew(k, hash)) {
        keep(other.rows_[r], k, 1);
      }
    }
  }

  RowKeys take() {
    rankTexts();
    return {columns_, std::move(keys_), std::move(rows_)};
  }

private:
  static constexpr std::size_t maxBatch = 64;

  // The batch's values, and the hashes of its texts, their home slots
  // fetched.
  void readBatch(std::size_t start, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t c = 0; c < columns_; ++c) {
        std::string_view v = input_.columns.empty() ? input_.value(c, start + i) : input_.columns[c]->value(start + i);
        values_[i * columns_ + c] = v;
        if (input_.widths[c] != 0) {
          textHashes_[i * columns_ + c] = hashText(v);
          texts_.fetchSlot(textHashes_[i * columns_ + c]);
        }
      }
    }
  }

  template <class Step> void eachText(std::size_t n, Step step) const {
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t c = 0; c < columns_; ++c) {
        if (input_.widths[c] != 0) {
          step(textHashes_[i * columns_ + c]);
        }
      }
    }
  }

  // The keys of the batch's rows, pending, and while hashing the rows'
  // hashes, their home slots fetched.
  void keyBatch(std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      Key *k = &pending_[i * columns_];
      for (std::size_t c = 0; c < columns_; ++c) {
        std::string_view v = values_[i * columns_ + c];
        // Flipping the sign bit turns signed order into unsigned order.
        k[c] = input_.widths[c] == 0 ? static_cast<Key>(toInt32(v)) ^ 0x80000000U
                                     : texts_.idOf(v, textHashes_[i * columns_ + c]);
      }
      if (hashing_) {
        hashes_[i] = hashKeys(k, k + columns_);
        prefetch(packed_ ? packed_->home(hashes_[i]) : table_.home(hashes_[i]));
      }
    }
  }

  // Keeps the rows of the batch not seen before.
  void keepDistinct(std::size_t start, std::size_t n) {
    if (!packed_) {
      for (std::size_t i = 0; i < n; ++i) {
        if (std::optional<Key> d = table_.atHome(hashes_[i])) {
          prefetch(keysOf(*d));
        }
      }
    }
    for (std::size_t i = 0; i < n; ++i) {
      const Key *k = &pending_[i * columns_];
      if (isNew(k, hashes_[i])) {
        keep(start + i, k, 1);
      }
    }
    stopHashingIfFewRepeat(start + n - first_);
  }

  // Whether the row of these keys was not seen before; the caller keeps it.
  bool isNew(const Key *row, std::uint64_t hash) {
    if (packed_) {
      return packed_->insert(packed_->pack(row), hash);
    }
    auto same = [&](Key d) {
      const Key *other = keysOf(d);
      for (std::size_t c = 0; c < columns_; ++c) {
        if (row[c] != other[c]) {
          return false;
        }
      }
      return true;
    };
    auto hashOf = [&](Key d) { return hashKeys(keysOf(d), keysOf(d + 1)); };
    return table_.find(hash, same, hashOf) == rows_.size();
  }

  // Where few rows repeat, hashing costs more than it saves: the rest are
  // kept as they come, and their repeats dropped after the sort.
  void stopHashingIfFewRepeat(std::size_t seen) {
    if (seen >= (last_ - first_) / 4 && rows_.size() * 4 > seen * 3) {
      stopHashing();
    }
  }

  // Every row from now on is kept: a table's ids must be the kept rows'
  // places, which rows kept past it would shift.
  void stopHashing() {
    hashing_ = false;
    table_ = IdTable<true>();
    packed_.reset();
  }

  // Keeps n rows from the input's row first on, with their keys from k on.
  void keep(std::size_t first, const Key *k, std::size_t n) {
    keys_.insert(keys_.end(), k, k + n * columns_);
    for (std::size_t r = first; r < first + n; ++r) {
      rows_.push_back(static_cast<Key>(r));
    }
  }

  void rankTexts() {
    std::vector<Key> rankOf = texts_.ranks();
    for (std::size_t k = 0; k < keys_.size(); ++k) {
      if (input_.widths[k % columns_] != 0) {
        keys_[k] = rankOf[keys_[k]];
      }
    }
  }

  [[nodiscard]] const Key *keysOf(Key d) const { return keys_.data() + std::size_t{d} * columns_; }

  const ProjectionInput &input_;
  std::size_t columns_;
  std::size_t batch_;
  std::size_t first_;
  std::size_t last_;
  std::vector<Key> keys_;
  std::vector<Key> rows_;
  // One table for every char column: equal texts are equal in any column,
  // and their order is the same, so ids and ranks can be shared.
  TextIds texts_;
  // Tagged: most rows repeat one seen before, and a probe that reads the
  // keys of a row that is not it costs a miss in memory.
  IdTable<true> table_;
  std::optional<PackedRows> packed_; // instead of table_, for one or two columns
  bool hashing_ = true;
  std::vector<Key> pending_;
  std::vector<std::string_view> values_;
  std::vector<std::uint64_t> textHashes_;
  std::array<std::uint64_t, maxBatch> hashes_{};
};

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

// The kept rows in order. Each entry's row numbers the kept row; keys are let
// go before the last sort, which needs room of its own.
std::vector<Entry> sortedRows(RowKeys &kept) {
  std::size_t count = kept.rows.size();
  std::size_t columns = kept.columns;
  const std::vector<Key> &keys = kept.keys;
  std::vector<Entry> entries(count);
  for (std::size_t d = 0; d < count; ++d) {
    Key minor = columns > 1 ? keys[d * columns + 1] : 0;
    entries[d] = {(std::uint64_t{keys[d * columns]} << 32) | minor, static_cast<Key>(d)};
  }
  std::vector<Key> rank;
  for (std::size_t c = 2;; ++c) {
    if (c >= columns) {
      std::vector<Key>().swap(kept.keys);
    }
    radixSort(entries);
    if (c >= columns) {
      return entries;
    }
    rank.resize(count);
    Key dense = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0 && entries[i].key != entries[i - 1].key) {
        ++dense;
      }
      rank[entries[i].row] = dense;
    }
    if (dense == count - 1) {
      return entries; // every row apart already: later columns cannot reorder them
    }
    for (std::size_t d = 0; d < count; ++d) {
      entries[d] = {(std::uint64_t{rank[d]} << 32) | keys[d * columns + c], static_cast<Key>(d)};
    }
  }
}

// The least rows of a part read on its own thread. Each part's tables take
// memory of their own: below about a million rows, that costs more of the
// input's size than the time it saves is worth.
std::size_t partRows = std::size_t{1} << 20;

// The rows to sort. Many rows are read in parts on the threads, each part
// finding its own distinct rows, and the parts then taken in, in order, by
// the first: only the rows each part kept are hashed twice.
RowKeys distinctRows(const ProjectionInput &input, std::size_t rows) {
  std::size_t parts = std::min<std::size_t>(parallelism(), rows / partRows);
  if (parts <= 1) {
    return RowKeyReader(input, 0, rows).take();
  }
  std::vector<std::optional<RowKeyReader>> readers(parts);
  runParts(parts, [&](std::size_t p) {
    RowRange range = partOf(rows, parts, p);
    readers[p].emplace(input, range.first, range.last);
  });
  for (std::size_t p = 1; p < parts; ++p) {
    readers.front()->absorb(*readers[p]);
    readers[p].reset();
  }
  return readers.front()->take();
}

} // namespace

void setProjectionPartRows(std::size_t rows) { partRows = std::max<std::size_t>(rows, 1); }

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
  RowKeys kept = distinctRows(input, rows);
  std::vector<Entry> entries = sortedRows(kept);
  std::vector<std::size_t> order;
  order.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // Equal keys only where rows were kept unhashed; the first is the earliest.
    if (i == 0 || entries[i].key != entries[i - 1].key) {
      order.push_back(kept.rows[entries[i].row]);
    }
  }
  return order;
}
