// Matching rows of two relations on some of their columns, by hashing: the
// joins, intersect and divide find a row's partners without forming a
// product. Values compare as the conditions compare them: where either side
// is int, by number, else by bytes.
#pragma once

#include "store/table.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// The key columns of one relation, in pairing order.
class RowKeys {
public:
  // numeric[k]: the k-th key column compares by number. Without key columns
  // every one of the relation's rows holds the same key.
  RowKeys(const std::vector<const Column *> &columns, const std::vector<bool> &numeric, std::size_t rows);

  [[nodiscard]] std::size_t rows() const { return hashes_.size(); }
  [[nodiscard]] std::uint64_t hash(std::size_t row) const { return hashes_[row]; }
  // Row mine of this relation and row theirs of other hold equal keys.
  [[nodiscard]] bool same(std::size_t mine, const RowKeys &other, std::size_t theirs) const;

private:
  struct Key {
    const Column *column;
    std::vector<std::int32_t> numbers; // per row, when the column compares by number
  };
  std::vector<Key> keys_;
  std::vector<std::uint64_t> hashes_;
};

// The rows of one relation grouped by key, each group's rows in ascending
// order: for a row of the other relation, its partners in one look-up.
class KeyGroups {
public:
  static constexpr std::size_t none = ~std::size_t{0};

  explicit KeyGroups(const RowKeys &keys);

  [[nodiscard]] std::size_t count() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  // The group of this relation's row.
  [[nodiscard]] std::size_t groupOf(std::size_t row) const { return groupOfRow_[row]; }
  // The group whose key probe's row holds, or none.
  [[nodiscard]] std::size_t find(const RowKeys &probe, std::size_t row) const;
  [[nodiscard]] std::span<const std::uint32_t> rowsOf(std::size_t group) const {
    return {members_.data() + starts_[group], members_.data() + starts_[group + 1]};
  }

private:
  const RowKeys &keys_;
  std::vector<std::uint32_t> slots_;    // group + 1, by hash; 0 is free
  std::vector<std::uint32_t> firstRow_; // by group
  std::vector<std::uint32_t> groupOfRow_;
  std::vector<std::uint32_t> starts_; // by group, into members_
  std::vector<std::uint32_t> members_;
};

// The columns of a relation, in schema order.
std::vector<const Column *> columnsOf(const Table &table);

// The names that two relations share (the check found each naming one
// column of each, of one kind), for matching rows on them.
struct SharedColumns {
  std::vector<const Column *> inFirst;  // in the second's order
  std::vector<const Column *> inSecond; // pairwise with inFirst
  std::vector<bool> numeric;            // pairwise: compared by number
  std::vector<const Column *> onlyInFirst;
  std::vector<const Column *> onlyInSecond;
};
SharedColumns sharedColumns(const Table &first, const Table &second);

// Appends to result's schema a column like source, answering to qualifier,
// its cells to be copied from source as they are.
void copyColumn(Table &result, const Column &source, std::string_view qualifier);
