// The projection's fast ordering must give exactly the rows and texts that the
// bubble passes give: exchange on greater, drop the lookahead row on equal
// (which ends the pass), repeat while a pass changed something.
#include "exec/project_order.h"
#include "platform/threads.h"
#include "store/int_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Row = std::vector<std::string>;

// Per column: int columns by the atoi value, others byte by byte, unsigned.
int compareRow(const std::vector<std::int32_t> &widths, const Row &x, const Row &y) {
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (widths[c] == 0) {
      std::int32_t a = toInt32(x[c]);
      std::int32_t b = toInt32(y[c]);
      if (a != b) {
        return a < b ? -1 : 1;
      }
      continue;
    }
    const std::string &a = x[c];
    const std::string &b = y[c];
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
      auto p = static_cast<unsigned char>(a[i]);
      auto q = static_cast<unsigned char>(b[i]);
      if (p != q) {
        return p < q ? -1 : 1;
      }
    }
    if (a.size() != b.size()) {
      return a.size() < b.size() ? -1 : 1;
    }
  }
  return 0;
}

// The ordering as defined: passes over adjacent rows, in place.
std::vector<Row> bubblePasses(const std::vector<std::int32_t> &widths, std::vector<Row> rows) {
  if (widths.empty() || rows.size() < 2) {
    return rows;
  }
  bool changed = true;
  while (changed && rows.size() >= 2) {
    changed = false;
    for (std::size_t cursor = 0; cursor + 1 < rows.size(); ++cursor) {
      int c = compareRow(widths, rows[cursor], rows[cursor + 1]);
      if (c > 0) {
        std::swap(rows[cursor], rows[cursor + 1]);
        changed = true;
      } else if (c == 0) {
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(cursor) + 1);
        changed = true;
        break;
      }
    }
  }
  return rows;
}

// The defined outcome for inputs too large for the bubble passes: a stable
// sort that keeps the first of equal rows.
std::vector<Row> firstOfEqualRowsInOrder(const std::vector<std::int32_t> &widths, std::vector<Row> rows) {
  std::stable_sort(rows.begin(), rows.end(), [&](const Row &a, const Row &b) { return compareRow(widths, a, b) < 0; });
  rows.erase(
      std::unique(rows.begin(), rows.end(), [&](const Row &a, const Row &b) { return compareRow(widths, a, b) == 0; }),
      rows.end());
  return rows;
}

// The rows that projectionOrder selects, with their texts.
std::vector<Row> viaProjectionOrder(const std::vector<std::int32_t> &widths, const std::vector<Row> &rows) {
  ProjectionInput input{
      widths, rows.size(), [&](std::size_t c, std::size_t r) { return std::string_view(rows[r][c]); }, {}};
  std::vector<Row> out;
  for (std::size_t r : projectionOrder(input)) {
    EXPECT_LT(r, rows.size());
    if (r < rows.size()) {
      out.push_back(rows[r]);
    }
  }
  return out;
}

std::string describe(const std::vector<std::int32_t> &widths, const std::vector<Row> &rows) {
  std::ostringstream s;
  s << "widths";
  for (std::int32_t w : widths) {
    s << ' ' << w;
  }
  for (const Row &row : rows) {
    s << "\n ";
    for (const std::string &v : row) {
      s << " [" << v << ']';
    }
  }
  return s.str();
}

} // namespace

TEST(ProjectionOrder, MatchesBubblePassesOnRandomRelations) {
  // Few distinct values, several of them equal as numbers, so that ties and
  // repeated rows are common; bytes above 0x7f test unsigned order.
  const std::array<std::string, 11> alphabet = {"7", "007", "-1", "a", "B", "", "10", "9", " 7", "+7", "\xe1"};
  const std::array<std::int32_t, 3> widthChoices = {0, 1, 5};
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<std::size_t> pickValue(0, alphabet.size() - 1);
  std::uniform_int_distribution<std::size_t> pickWidth(0, widthChoices.size() - 1);
  std::uniform_int_distribution<int> pickColumns(1, 3);
  std::uniform_int_distribution<int> pickRows(0, 12);
  // Longer relations too: sorts commonly switch method above 16 elements.
  std::uniform_int_distribution<int> pickManyRows(13, 60);
  std::uniform_int_distribution<int> pickSpread(1, static_cast<int>(alphabet.size()));
  for (int round = 0; round < 4000; ++round) {
    std::vector<std::int32_t> widths(static_cast<std::size_t>(pickColumns(rng)));
    for (std::int32_t &w : widths) {
      w = widthChoices[pickWidth(rng)];
    }
    // Some relations draw from only the first few values: more repeats.
    std::uniform_int_distribution<std::size_t> pickNarrow(0, static_cast<std::size_t>(pickSpread(rng)) - 1);
    int rowCount = round % 4 == 0 ? pickManyRows(rng) : pickRows(rng);
    std::vector<Row> rows(static_cast<std::size_t>(rowCount));
    for (Row &row : rows) {
      for (std::size_t c = 0; c < widths.size(); ++c) {
        row.push_back(alphabet[pickNarrow(rng)]);
      }
    }
    std::vector<Row> expected = bubblePasses(widths, rows);
    std::vector<Row> actual = viaProjectionOrder(widths, rows);
    ASSERT_EQ(actual, expected) << describe(widths, rows);
  }
}

TEST(ProjectionOrder, KeepsTheFirstOfEqualRowsWithItsText) {
  // {007, 7} and {3, 03}: the first of each group in input order survives.
  const std::vector<std::int32_t> widths = {0};
  const std::vector<Row> rows = {{"007"}, {"3"}, {"7"}, {"03"}};
  EXPECT_EQ(viaProjectionOrder(widths, rows), (std::vector<Row>{{"3"}, {"007"}}));
  EXPECT_EQ(bubblePasses(widths, rows), (std::vector<Row>{{"3"}, {"007"}}));
}

TEST(ProjectionOrder, DegenerateInputs) {
  EXPECT_TRUE(projectionOrder(ProjectionInput{}).empty());
  ProjectionInput noRows{{0, 5}, 0, nullptr, {}};
  EXPECT_TRUE(projectionOrder(noRows).empty());
  ProjectionInput oneRow{{0}, 1, [](std::size_t, std::size_t) { return std::string_view("abc"); }, {}};
  EXPECT_EQ(projectionOrder(oneRow), (std::vector<std::size_t>{0}));
}

TEST(ProjectionOrder, MatchesBubblePassesOnLongSharedPrefixesAndExtremeNumbers) {
  // Texts that agree in their first eight bytes and differ after them, or
  // only in length, or by a NUL byte; numbers at and past the 32-bit bounds.
  const std::array<std::string, 12> alphabet = {"abcdefgh",
                                                "abcdefgh\xe1",
                                                "abcdefghi",
                                                "abcdefg",
                                                std::string("abcdefg\0", 8),
                                                "abcdefgh ",
                                                "-2147483648",
                                                "2147483647",
                                                "99999999999",
                                                "-99999999999",
                                                "",
                                                "0"};
  const std::array<std::int32_t, 2> widthChoices = {0, 20};
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::size_t> pickValue(0, alphabet.size() - 1);
  std::uniform_int_distribution<std::size_t> pickWidth(0, widthChoices.size() - 1);
  std::uniform_int_distribution<int> pickColumns(1, 4);
  std::uniform_int_distribution<int> pickRows(2, 40);
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::int32_t> widths(static_cast<std::size_t>(pickColumns(rng)));
    for (std::int32_t &w : widths) {
      w = widthChoices[pickWidth(rng)];
    }
    std::vector<Row> rows(static_cast<std::size_t>(pickRows(rng)));
    for (Row &row : rows) {
      for (std::size_t c = 0; c < widths.size(); ++c) {
        row.push_back(alphabet[pickValue(rng)]);
      }
    }
    ASSERT_EQ(viaProjectionOrder(widths, rows), bubblePasses(widths, rows)) << describe(widths, rows);
  }
}

TEST(ProjectionOrder, MatchesBubblePassesWithThousandsOfDistinctTexts) {
  // Enough distinct texts to make any table of them grow several times, each
  // repeated a few times, beside a column of few numbers.
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> pickLetter('a', 'e');
  std::uniform_int_distribution<int> pickLength(0, 12);
  std::vector<std::string> pool(3000);
  for (std::string &text : pool) {
    int length = pickLength(rng);
    for (int i = 0; i < length; ++i) {
      text.push_back(static_cast<char>(pickLetter(rng)));
    }
  }
  std::uniform_int_distribution<std::size_t> pickText(0, pool.size() - 1);
  std::uniform_int_distribution<int> pickNumber(-2, 2);
  const std::vector<std::int32_t> widths = {20, 0};
  std::vector<Row> rows(6000);
  for (Row &row : rows) {
    row = {pool[pickText(rng)], std::to_string(pickNumber(rng))};
  }
  std::vector<Row> expected = bubblePasses(widths, rows);
  EXPECT_GT(expected.size(), 2000U);
  EXPECT_EQ(viaProjectionOrder(widths, rows), expected);
}

TEST(ProjectionOrder, KeepsOrderWhenTheTextsOutnumberTheirCache) {
  // Some megabytes of distinct texts of up to 300 bytes, each twice, in two
  // char columns: past what is copied aside for comparing, and on both sides
  // of the length up to which texts are copied.
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> pickLetter('a', 'c');
  std::uniform_int_distribution<int> pickLength(200, 300);
  std::vector<Row> rows;
  for (int t = 0; t < 30000; ++t) {
    std::string text(static_cast<std::size_t>(pickLength(rng)), ' ');
    for (char &c : text) {
      c = static_cast<char>(pickLetter(rng));
    }
    rows.push_back({text, t % 2 == 0 ? "x" : text});
    rows.push_back({text, t % 2 == 0 ? "x" : text});
  }
  std::shuffle(rows.begin(), rows.end(), rng);
  const std::vector<std::int32_t> widths = {20, 20};
  std::vector<Row> expected = firstOfEqualRowsInOrder(widths, rows);
  EXPECT_EQ(expected.size(), 30000U);
  EXPECT_EQ(viaProjectionOrder(widths, rows), expected);
}

TEST(ProjectionOrder, PartsReadOnThreadsKeepTheFirstOfEqualRows) {
  // Enough rows to be read in parts on threads, each part finding its own
  // distinct rows before the first takes the others in: rows repeat within
  // and across parts, and one third has no repeats at all, where its part
  // stops hashing while the others go on. Equal numbers are written two ways ("7", "07"),
  // so the text kept shows which of equal rows was kept.
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> pickNumber(0, 9);
  std::uniform_int_distribution<int> pickName(0, 29);
  for (const std::vector<std::int32_t> &widths :
       {std::vector<std::int32_t>{20}, std::vector<std::int32_t>{0, 20}, std::vector<std::int32_t>{0, 20, 0}}) {
    for (int distinctThird : {-1, 0, 1, 2}) {
      constexpr std::size_t count = 100000;
      std::vector<Row> rows(count);
      for (std::size_t r = 0; r < count; ++r) {
        bool distinct = static_cast<int>(r * 3 / count) == distinctThird;
        for (std::int32_t w : widths) {
          int n = pickNumber(rng);
          rows[r].push_back(w == 0     ? (pickNumber(rng) < 5 ? "0" : "") + std::to_string(n)
                            : distinct ? "u" + std::to_string(r)
                                       : "name" + std::to_string(pickName(rng)));
        }
      }
      std::vector<Row> expected = firstOfEqualRowsInOrder(widths, rows);
      setProjectionPartRows(std::size_t{1} << 15);
      for (unsigned threads : {1U, 2U, 8U}) {
        setParallelism(threads);
        EXPECT_TRUE(viaProjectionOrder(widths, rows) == expected)
            << widths.size() << " columns, distinct third " << distinctThird << ", " << threads << " threads";
      }
      setParallelism(1);
      setProjectionPartRows(std::size_t{1} << 20);
    }
  }
}

TEST(ProjectionOrder, PartsOnThreadsKeepTextsPastTheirCopies) {
  // More distinct texts in each part than a part copies aside, so that the
  // first part keeps the other's texts as the other holds them: they must
  // stay readable once the other part is gone.
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> pickLetter('a', 'z');
  std::vector<Row> rows;
  for (int t = 0; t < 40000; ++t) {
    std::string text(150, ' ');
    for (char &c : text) {
      c = static_cast<char>(pickLetter(rng));
    }
    rows.push_back({text});
    rows.push_back({text});
  }
  std::shuffle(rows.begin(), rows.end(), rng);
  const std::vector<std::int32_t> widths = {200};
  std::vector<Row> expected = firstOfEqualRowsInOrder(widths, rows);
  setProjectionPartRows(std::size_t{1} << 15);
  setParallelism(2);
  EXPECT_TRUE(viaProjectionOrder(widths, rows) == expected);
  setParallelism(1);
  setProjectionPartRows(std::size_t{1} << 20);
}
