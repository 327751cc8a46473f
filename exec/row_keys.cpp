// An int key is hashed by its number, so that "7" and "007" meet; a char key
// by its bytes. Groups are found by open addressing over the keys' hashes,
// then laid out in one array by a counting pass, which keeps each group's
// rows in ascending order for the operators that keep their operands' order.
#include "exec/row_keys.h"

#include "store/int_value.h"

#include <bit>
#include <cassert>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace {

std::uint64_t mix(std::uint64_t h) {
  h ^= h >> 31;
  h *= 0x9E3779B97F4A7C15U;
  return h ^ (h >> 29);
}

} // namespace

std::vector<const Column *> columnsOf(const Table &table) {
  std::vector<const Column *> columns;
  for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
    columns.push_back(c);
  }
  return columns;
}

RowKeys::RowKeys(const std::vector<const Column *> &columns, const std::vector<bool> &numeric, std::size_t rows) {
  hashes_.assign(rows, 0x51ED27);
  for (std::size_t k = 0; k < columns.size(); ++k) {
    Key key{columns[k], {}};
    if (numeric[k]) {
      key.numbers.resize(rows);
      for (std::size_t row = 0; row < rows; ++row) {
        key.numbers[row] = toInt32(columns[k]->value(row));
        hashes_[row] = mix(hashes_[row] + static_cast<std::uint32_t>(key.numbers[row]));
      }
    } else {
      for (std::size_t row = 0; row < rows; ++row) {
        hashes_[row] = mix(hashes_[row] + std::hash<std::string_view>{}(columns[k]->value(row)));
      }
    }
    keys_.push_back(std::move(key));
  }
}

bool RowKeys::same(std::size_t mine, const RowKeys &other, std::size_t theirs) const {
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    const Key &a = keys_[k];
    const Key &b = other.keys_[k];
    if (!a.numbers.empty() ? a.numbers[mine] != b.numbers[theirs] : a.column->value(mine) != b.column->value(theirs)) {
      return false;
    }
  }
  return true;
}

KeyGroups::KeyGroups(const RowKeys &keys) : keys_(keys) {
  std::size_t rows = keys.rows();
  if (rows >= std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("rows past a 32-bit index");
  }
  slots_.assign(std::bit_ceil(rows * 2 + 2), 0);
  std::size_t mask = slots_.size() - 1;
  groupOfRow_.resize(rows);
  for (std::size_t row = 0; row < rows; ++row) {
    for (std::size_t i = keys.hash(row) & mask;; i = (i + 1) & mask) {
      std::uint32_t slot = slots_[i];
      if (slot == 0) {
        slots_[i] = static_cast<std::uint32_t>(firstRow_.size() + 1);
        groupOfRow_[row] = static_cast<std::uint32_t>(firstRow_.size());
        firstRow_.push_back(static_cast<std::uint32_t>(row));
        break;
      }
      std::uint32_t first = firstRow_[slot - 1];
      if (keys.hash(first) == keys.hash(row) && keys.same(first, keys, row)) {
        groupOfRow_[row] = slot - 1;
        break;
      }
    }
  }
  starts_.assign(firstRow_.size() + 1, 0);
  for (std::uint32_t g : groupOfRow_) {
    ++starts_[g + 1];
  }
  for (std::size_t g = 0; g + 1 < starts_.size(); ++g) {
    starts_[g + 1] += starts_[g];
  }
  members_.resize(rows);
  std::vector<std::uint32_t> next(starts_.begin(), starts_.end() - 1);
  for (std::size_t row = 0; row < rows; ++row) {
    members_[next[groupOfRow_[row]]++] = static_cast<std::uint32_t>(row);
  }
}

std::size_t KeyGroups::find(const RowKeys &probe, std::size_t row) const {
  std::size_t mask = slots_.size() - 1;
  std::uint64_t h = probe.hash(row);
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    std::uint32_t slot = slots_[i];
    if (slot == 0) {
      return none;
    }
    std::uint32_t first = firstRow_[slot - 1];
    if (keys_.hash(first) == h && keys_.same(first, probe, row)) {
      return slot - 1;
    }
  }
}

SharedColumns sharedColumns(const Table &first, const Table &second) {
  SharedColumns shared;
  std::unordered_map<std::string_view, const Column *> byName;
  for (const Column *c = firstColumn(first); c != nullptr; c = c->next) {
    byName.emplace(c->name, c);
  }
  std::unordered_set<std::string_view> inSecond;
  for (const Column *c = firstColumn(second); c != nullptr; c = c->next) {
    inSecond.insert(c->name);
    auto found = byName.find(c->name);
    if (found == byName.end()) {
      shared.onlyInSecond.push_back(c);
      continue;
    }
    assert((found->second->width == 0) == (c->width == 0) && "the check found the shared columns alike");
    shared.inFirst.push_back(found->second);
    shared.inSecond.push_back(c);
    shared.numeric.push_back(c->width == 0);
  }
  for (const Column *c = firstColumn(first); c != nullptr; c = c->next) {
    if (!inSecond.contains(c->name)) {
      shared.onlyInFirst.push_back(c);
    }
  }
  return shared;
}

void copyColumn(Table &result, const Column &source, std::string_view qualifier) {
  Column *last = result.schema;
  while (last->next != nullptr) {
    last = last->next;
  }
  last = linkColumn(last, createColumn(result, source.name, source.width));
  last->base = source.base;
  last->qualifier = qualifier;
}
