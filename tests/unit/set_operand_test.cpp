// union and minus over operands in any row order, with repeated rows: the
// result must be the set union and difference, ascending, as a set of rows
// compared by the int and char rules gives them.
#include "exec/executor.h"
#include "exec/rows.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Row = std::vector<std::string>;

struct RowLess {
  std::vector<std::int32_t> widths;
  bool operator()(const Row &a, const Row &b) const {
    for (std::size_t i = 0; i < widths.size(); ++i) {
      int c = compareValues(widths[i], a[i], b[i]);
      if (c != 0) {
        return c < 0;
      }
    }
    return false;
  }
};

// Texts that differ but compare equal (007 and 7 as ints), so that which
// text survives is checked too.
const std::vector<std::string> intPool{"1", "01", "2", "7", "007", "-3", "10", "9"};
const std::vector<std::string> charPool{"a", "b", "ab", "B", "", "10", "9"};

std::string relationText(const std::string &name, const std::vector<std::int32_t> &widths,
                         const std::vector<Row> &rows) {
  std::string text = name + "(";
  for (std::size_t i = 0; i < widths.size(); ++i) {
    text += (i > 0 ? ", c" : "c") + std::to_string(i) + (widths[i] == 0 ? " int" : " char(3)");
  }
  text += ")\n";
  for (const Row &row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      text += (i > 0 ? "," : "") + (widths[i] == 0 ? row[i] : "'" + row[i] + "'");
    }
    text += "\n";
  }
  return text + "\n";
}

std::vector<Row> resultRows(const Table &t) {
  std::vector<Row> rows(rowCount(t));
  for (const Column *c = firstColumn(t); c != nullptr; c = c->next) {
    std::vector<std::string> values = columnValues(*c);
    for (std::size_t i = 0; i < values.size(); ++i) {
      rows[i].push_back(values[i]);
    }
  }
  return rows;
}

std::vector<Row> run(const std::string &op, const std::vector<std::int32_t> &widths, const std::vector<Row> &a,
                     const std::vector<Row> &b) {
  Loaded run;
  loadText(run, op + "(A, B)\n" + relationText("A", widths, a) + relationText("B", widths, b));
  executeCommands(run.ev);
  return resultRows(*run.rootResult());
}

} // namespace

TEST(SetOperands, UnionAndMinusOfRandomRelationsAreSetOperations) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::int32_t> widths(1 + random() % 3);
    for (std::int32_t &w : widths) {
      w = random() % 2 == 0 ? 0 : 3;
    }
    auto randomRows = [&] {
      std::vector<Row> rows(random() % 8);
      for (Row &row : rows) {
        for (std::int32_t w : widths) {
          const std::vector<std::string> &pool = w == 0 ? intPool : charPool;
          row.push_back(pool[random() % pool.size()]);
        }
      }
      return rows;
    };
    std::vector<Row> a = randomRows();
    std::vector<Row> b = randomRows();
    RowLess less{widths};
    // Of equal rows the first inserted stays: A's before B's, earlier first.
    std::set<Row, RowLess> unionSet(a.begin(), a.end(), less);
    std::set<Row, RowLess> minusSet = unionSet;
    unionSet.insert(b.begin(), b.end());
    for (const Row &row : b) {
      minusSet.erase(row);
    }
    SCOPED_TRACE(relationText("A", widths, a) + relationText("B", widths, b));
    EXPECT_EQ(run("union", widths, a, b), std::vector<Row>(unionSet.begin(), unionSet.end()));
    EXPECT_EQ(run("minus", widths, a, b), std::vector<Row>(minusSet.begin(), minusSet.end()));
  }
}
