// Value conversion and row comparison: the rules that decide every merge,
// ordering and selection outcome.
#include "exec/rows.h"
#include "platform/threads.h"
#include "store/int_value.h"
#include "store/table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t maxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t minInt = std::numeric_limits<std::int32_t>::min();

int sign(int c) { return (c > 0) - (c < 0); }

struct Conversion {
  std::string text;
  std::int32_t value;
};

// A copy of text that lives as long as the test program, for a table to view.
std::string_view kept(const std::string &text) {
  static std::deque<std::string> texts;
  return texts.emplace_back(text);
}

// Fills t with columns (name, width) and rows of values in schema order.
void fill(Table &t, const std::vector<std::pair<std::string, std::int32_t>> &columns,
          const std::vector<std::vector<std::string>> &rows) {
  std::vector<Column *> cols;
  Column *last = t.schema;
  for (const auto &[name, width] : columns) {
    last = linkColumn(last, createColumn(t, name, width));
    cols.push_back(last);
  }
  for (const auto &row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      appendStored(*cols[i], kept(row[i]));
    }
  }
}

} // namespace

TEST(ToInt32, ReadsAsAtoiDoes) {
  const std::vector<Conversion> cases = {
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"+", 0},
      {"12abc", 12},
      {"007", 7},
      {"-3", -3},
      {"+5", 5},
      {"-0", 0},
      {" 5", 5},
      {" \t\n\v\f\r42", 42},
      {"5 ", 5},
      {"1e5", 1},
      {"- 5", 0},                     // no blank between sign and digits
      {"+-1", 0},                     // one sign only
      {"x12", 0},                     // digits must come first
      {std::string("\xa0") + "5", 0}, // a byte outside the C locale's white space
      {std::string{'7', '\0', '9'}, 7},
  };
  for (const Conversion &c : cases) {
    EXPECT_EQ(toInt32(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(ToInt32, SaturatesAtTheBounds) {
  const std::vector<Conversion> cases = {
      {"2147483647", maxInt},
      {"2147483648", maxInt},
      {"-2147483647", -2147483647},
      {"-2147483648", minInt},
      {"-2147483649", minInt},
      {"4294967296", maxInt},  // would wrap to 0 in 32 bits
      {"-4294967297", minInt}, // would wrap to -1
      {std::string(400, '9'), maxInt},
      {"-" + std::string(400, '9'), minInt},
      {std::string(400, '9') + "abc", maxInt},
      {std::string(400, '0') + "12", 12}, // many digits, small value
      {"-" + std::string(400, '0') + "2147483648", minInt},
  };
  for (const Conversion &c : cases) {
    EXPECT_EQ(toInt32(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(CompareValues, IntWidthComparesNumbers) {
  EXPECT_EQ(compareValues(0, "007", "7"), 0);
  EXPECT_EQ(compareValues(0, "12abc", "12"), 0);
  EXPECT_EQ(compareValues(0, "abc", "0"), 0);
  EXPECT_EQ(compareValues(0, " 5", "5"), 0);
  EXPECT_LT(compareValues(0, "-3", "2"), 0);
  EXPECT_LT(compareValues(0, "9", "10"), 0);
  EXPECT_GT(compareValues(0, "10", "9"), 0);
  EXPECT_LT(compareValues(0, "-2147483648", "2147483647"), 0);
  // Saturated values are equal to the bound they saturate at.
  EXPECT_EQ(compareValues(0, "99999999999", "2147483647"), 0);
  EXPECT_EQ(compareValues(0, "-99999999999", "-2147483648"), 0);
}

TEST(CompareValues, CharWidthComparesUnsignedBytes) {
  EXPECT_LT(compareValues(5, "10", "9"), 0);
  EXPECT_LT(compareValues(5, "Zeta", "alpha"), 0);
  EXPECT_LT(compareValues(5, "ab", "abc"), 0);
  EXPECT_LT(compareValues(5, "abc", "abc "), 0);
  EXPECT_LT(compareValues(5, "", "a"), 0);
  EXPECT_EQ(compareValues(5, "", ""), 0);
  EXPECT_NE(compareValues(5, "007", "7"), 0);
  // Bytes above 0x7f order after ASCII, as unsigned values.
  EXPECT_GT(compareValues(5, "\xff", "a"), 0);
  EXPECT_GT(compareValues(5, "a\xe1", "a\x01"), 0);
  EXPECT_LT(compareValues(1, "\x7f", "\x80"), 0);
  // An embedded NUL is an ordinary byte, not an end.
  EXPECT_GT(compareValues(5, std::string_view("a\0b", 3), std::string_view("a", 1)), 0);
  EXPECT_LT(compareValues(5, std::string_view("a\0", 2), std::string_view("a\x01", 2)), 0);
  // Any width other than 0 is a char column.
  EXPECT_LT(compareValues(-1, "10", "9"), 0);
  // Only the sign is a contract; it is the same both ways round.
  EXPECT_EQ(sign(compareValues(5, "b", "a")), -sign(compareValues(5, "a", "b")));
}

TEST(CompareValues, LongTextsAgreeWithByteOrder) {
  // Texts compared eight bytes at a time: pairs that share a prefix of any
  // length and differ at any place, in bytes on both sides of 0x80.
  const std::string bytes("\0ab\x7f\x80\xff", 6);
  std::mt19937 rng(11);
  std::uniform_int_distribution<std::size_t> length(0, 24);
  std::uniform_int_distribution<std::size_t> pick(0, bytes.size() - 1);
  for (int round = 0; round < 5000; ++round) {
    std::string a;
    for (std::size_t n = length(rng); a.size() < n;) {
      a += bytes[pick(rng)];
    }
    std::string b = a.substr(0, length(rng) % (a.size() + 1));
    for (std::size_t n = length(rng); b.size() < n;) {
      b += bytes[pick(rng)];
    }
    int expected = sign(std::string_view(a).compare(b));
    ASSERT_EQ(sign(compareValues(20, a, b)), expected) << testing::PrintToString(a) << " " << testing::PrintToString(b);
  }
}

TEST(CompareRows, TypeComesFromTheFirstOperand) {
  Table intA("A");
  fill(intA, {{"n", 0}}, {{"10"}});
  Table charB("B");
  fill(charB, {{"n", 3}}, {{"9"}});
  RowCursor a(intA);
  RowCursor b(charB);
  EXPECT_GT(compareRows(a, b), 0); // 10 > 9 as numbers
  EXPECT_GT(compareRows(b, a), 0); // "9" > "10" as text
}

TEST(CompareRows, CharInFirstOperandComparesText) {
  Table charA("A");
  fill(charA, {{"s", 3}}, {{"10"}, {"007"}});
  Table intB("B");
  fill(intB, {{"s", 0}}, {{"9"}});
  RowCursor a(charA);
  RowCursor b(intB);
  EXPECT_LT(compareRows(a, b), 0); // "10" < "9"
  a.advance();
  Table intC("C");
  fill(intC, {{"s", 0}}, {{"7"}});
  RowCursor c(intC);
  EXPECT_NE(compareRows(a, c), 0); // "007" is not "7" as text
  EXPECT_EQ(compareRows(c, a), 0); // but 7 is 007 as numbers
}

TEST(CompareRows, FirstDifferingColumnDecides) {
  Table left("L");
  fill(left, {{"n", 0}, {"s", 5}}, {{"007", "x"}, {"1", "b"}, {"0", "z"}});
  Table right("R");
  fill(right, {{"m", 0}, {"t", 5}}, {{"7", "x"}, {"1", "a"}, {"1", "a"}});
  RowCursor l(left);
  RowCursor r(right);
  EXPECT_EQ(compareRows(l, r), 0); // 007 = 7, "x" = "x"
  l.advance();
  r.advance();
  EXPECT_GT(compareRows(l, r), 0); // 1 = 1, then "b" > "a"
  l.advance();
  r.advance();
  EXPECT_LT(compareRows(l, r), 0); // 0 < 1; "z" > "a" is not looked at
}

TEST(RowCursor, TwoPositionsInOneRelationAreIndependent) {
  Table t("R");
  fill(t, {{"n", 0}, {"s", 2}}, {{"1", "a"}, {"2", "b"}});
  RowCursor first(t);
  RowCursor second(t);
  second.advance();
  EXPECT_LT(compareRows(first, second), 0);
  EXPECT_EQ(first.value(1), "a");
  second.advance();
  EXPECT_TRUE(second.exhausted());
  EXPECT_FALSE(first.exhausted());

  Table empty("E");
  fill(empty, {{"n", 0}}, {});
  EXPECT_TRUE(RowCursor(empty).exhausted());
  Table noColumns("N");
  EXPECT_TRUE(RowCursor(noColumns).exhausted());
}

TEST(AppendRows, InPartsAsOneByOne) {
  // Rows taken in any order and more than once, among them texts too long
  // for a cell, from one column to two targets on the source's base, with a
  // row already there: one appended in parts on the threads, one a cell at a
  // time. Both hold the same cells, outliers and bytes.
  std::string text;
  for (int i = 0; i < 300000; ++i) {
    text += std::to_string(i * 7) + ",";
  }
  std::string_view stored = kept(text);
  std::string_view early = kept("before the base");
  std::string_view longText = kept(std::string(300, 'w'));
  Table source("S");
  Column &s = *linkColumn(source.schema, createColumn(source, "v", 400));
  std::vector<std::size_t> rows;
  std::mt19937 rng(5);
  for (std::size_t at = 0, next = 0; next != std::string_view::npos; at = next + 1) {
    next = stored.find(',', at);
    appendStored(s, stored.substr(at, next == std::string_view::npos ? 0 : next - at));
    if (s.size() % 50000 == 7) {
      appendStored(s, early);
      appendStored(s, longText);
    }
  }
  for (std::size_t i = 0; i < 280000; ++i) {
    rows.push_back(rng() % s.size());
  }
  auto target = [&](Table &t) {
    Column *c = linkColumn(t.schema, createColumn(t, "v", 400));
    c->base = s.base;
    appendStored(*c, early);
    return std::vector<Column *>{c};
  };
  Table inParts("P");
  Table oneByOne("O");
  std::vector<Column *> p = target(inParts);
  std::vector<Column *> o = target(oneByOne);
  setParallelism(2);
  ASSERT_TRUE(appendRowsInParts(p, {&s}, rows));
  setParallelism(1);
  for (std::size_t row : rows) {
    appendCell(*o[0], s, row);
  }
  EXPECT_TRUE(p[0]->offsets == o[0]->offsets);
  EXPECT_TRUE(p[0]->lengths == o[0]->lengths);
  EXPECT_TRUE(p[0]->outliers == o[0]->outliers);
  EXPECT_EQ(p[0]->valueBytes, o[0]->valueBytes);
  EXPECT_GT(o[0]->outliers.size(), 10U);
}
