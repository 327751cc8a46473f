// Inputs built to exhaust time or memory: shared condition operands and
// products that together outgrow the memory budget.
#include "exec/executor.h"
#include "exec/memory_budget.h"
#include "helpers.h"
#include "store/error.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The rows that select keeps, as the values of the result's first column.
std::vector<std::string> selected(const std::string &condition) {
  Loaded db;
  loadText(db, "select(R, " + condition + ")\nR(a int)\n1\n2\n3\n4\n");
  executeCommands(db.ev);
  return columnValues(*firstColumn(*db.rootResult()));
}

using Rows = std::vector<std::string>;

TEST(SharedCondition, SharedOperandGivesTheMaskOfTheNodeItNames) {
  // AND(,X) and OR(,X) name X twice.
  EXPECT_EQ(selected("AND(,OR(,NOT(EQ(a, '2'))))"), (Rows{"1", "3", "4"}));
  // AND's second operand is also OR's: (a > 1 and a < 3) or a < 3.
  EXPECT_EQ(selected("OR(AND(GT(a, '1'),), LT(a, '3'))"), (Rows{"1", "2"}));
  // EQ(a, '2') is the second operand of all three: ((a > 1 and a = 2) or
  // a = 2) and a = 2.
  EXPECT_EQ(selected("AND(OR(AND(GT(a, '1'),),), EQ(a, '2'))"), (Rows{"2"}));
  EXPECT_EQ(selected("OR(NOT(AND(GT(a, '2'),)), EQ(a, '4'))"), (Rows{"1", "2", "3", "4"}));
}

TEST(SharedCondition, DeepSharingIsEvaluatedOncePerNode) {
  // 2^300 evaluations if each use of a shared node evaluated it again.
  std::string condition;
  for (int i = 0; i < 300; ++i) {
    condition += "NOT(AND(,";
  }
  condition += "EQ(a, '3')";
  for (int i = 0; i < 300; ++i) {
    condition += "))";
  }
  EXPECT_EQ(selected(condition), (Rows{"3"}));
}

std::string tenRows() {
  std::string text = "R(a int)\n";
  for (int i = 0; i < 10; ++i) {
    text += std::to_string(i) + "\n";
  }
  return text;
}

TEST(ProductBudget, ProductsTogetherBeyondTheBudgetAreRefusedBeforeBuilding) {
  // Room for one product(R, R) of 100 rows and 2 columns, not for two.
  std::uint64_t one = 100 * 2 * Column::bytesPerValue + 20;
  Loaded single;
  single.budget.limit = one + one / 2;
  loadText(single, "product(R, R)\n" + tenRows());
  EXPECT_NO_THROW(executeCommands(single.ev));
  EXPECT_EQ(rowCount(*single.rootResult()), 100U);

  Loaded two;
  two.budget.limit = one + one / 2;
  loadText(two, "union(product(R, R), product(R, R))\n" + tenRows());
  try {
    executeCommands(two.ev);
    FAIL() << "the second product was built";
  } catch (const InputError &e) {
    EXPECT_STREQ(e.what(), "A(z) product eredmenye tul nagy: 100 sor.");
    EXPECT_EQ(e.column(), 22);
  }
  // The refused product's result got neither columns nor cells.
  EXPECT_EQ(firstColumn(*two.db.results.back()), nullptr);
}

TEST(ProductBudget, LongValuesCountTheViewsTheyAreRepeatedAs) {
  // 10 rows of one 300-byte value each, 100 result rows: room for their
  // cells and texts, not for the views of their own that long values take.
  std::string text = "product(R, R)\nR(a char(300))\n";
  for (int i = 0; i < 10; ++i) {
    text += "'" + std::string(300, static_cast<char>('a' + i)) + "'\n";
  }
  Loaded db;
  db.budget.limit = 100 * 2 * Column::bytesPerValue + 2 * 10 * 300 + 100;
  loadText(db, text);
  EXPECT_THROW(executeCommands(db.ev), InputError);
}

TEST(ProductBudget, RowCountBeyondAnyMemoryIsNamedInFull) {
  Loaded db;
  std::string text = "product(product(R, R), product(R, R))\nR(a int)\n";
  for (int i = 0; i < 1000; ++i) {
    text += std::to_string(i) + "\n";
  }
  loadText(db, text);
  try {
    executeCommands(db.ev);
    FAIL() << "a product of 10^12 rows was attempted";
  } catch (const InputError &e) {
    EXPECT_STREQ(e.what(), "A(z) product eredmenye tul nagy: 1000000000000 sor.");
  }
}

} // namespace
