// The reader takes runs of plain characters in one step; what it gets, and
// the line and column it reports, must be what reading them one at a time
// gives.
#include "input/char_stream.h"
#include "input/positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Read {
  int ch;
  long long line;
  long long column;
};

std::vector<Read> oneAtATime(CharStream &in) {
  std::vector<Read> reads;
  for (int ch = in.get(); ch != CharStream::end; ch = in.get()) {
    reads.push_back({ch, in.line(), in.column()});
  }
  return reads;
}

// Reads with skipRun after every character that is not the stop byte, taking
// the run from position() as the reader does, and checks each step against
// the one-at-a-time reads.
void expectSameAsOneAtATime(CharStream &in, const std::vector<Read> &expected, char stop) {
  std::size_t i = 0;
  for (int ch = in.get(); ch != CharStream::end; ch = in.get()) {
    ASSERT_LT(i, expected.size());
    ASSERT_EQ(ch, expected[i].ch) << "at " << i;
    ASSERT_EQ(in.line(), expected[i].line) << "at " << i;
    ASSERT_EQ(in.column(), expected[i].column) << "at " << i;
    ++i;
    if (ch == stop) {
      continue;
    }
    const char *from = in.position();
    in.skipRun(stop);
    std::string_view run(from, static_cast<std::size_t>(in.position() - from));
    for (char c : run) {
      ASSERT_LT(i, expected.size());
      ASSERT_EQ(static_cast<unsigned char>(c), expected[i].ch) << "at " << i;
      ++i;
    }
    if (!run.empty()) {
      ASSERT_EQ(in.line(), expected[i - 1].line) << "after a run ending at " << i - 1;
      ASSERT_EQ(in.column(), expected[i - 1].column) << "after a run ending at " << i - 1;
    }
  }
  EXPECT_EQ(i, expected.size());
}

std::string randomText(std::mt19937 &rng, std::size_t size) {
  const std::string bytes = "ab,'\n\r \xe1";
  std::uniform_int_distribution<std::size_t> pick(0, bytes.size() - 1);
  std::uniform_int_distribution<int> plain(0, 3);
  std::string text(size, 'x');
  for (char &c : text) {
    // Mostly plain letters, so that runs are long.
    c = plain(rng) != 0 ? 'x' : bytes[pick(rng)];
  }
  return text;
}

} // namespace

TEST(CharStreamRuns, MatchOneAtATimeInMemory) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    std::string text = randomText(rng, static_cast<std::size_t>(round) * 7);
    CharStream single(text);
    std::vector<Read> expected = oneAtATime(single);
    for (char stop : {',', '\''}) {
      CharStream runs(text);
      expectSameAsOneAtATime(runs, expected, stop);
    }
  }
}

TEST(CharacterColumns, CountWellFormedSequencesAsOneAndAnyOtherByteAsOne) {
  // Line 2: "é" (2 bytes), a tab, a stray 0xFF, "😀" (4 bytes), then 'x'.
  std::string text = "first\n\xC3\xA9\t\xFF\xF0\x9F\x98\x80x\n";
  CharacterColumns columns(text);
  EXPECT_EQ(columns.column(2, 1), 1);
  EXPECT_EQ(columns.column(2, 3), 2);  // the tab
  EXPECT_EQ(columns.column(2, 4), 3);  // 0xFF
  EXPECT_EQ(columns.column(2, 9), 5);  // 'x', after the emoji
  EXPECT_EQ(columns.column(1, 3), 3);  // an earlier line after a later one
  EXPECT_EQ(columns.column(2, 11), 7); // past the line's end, a byte each
  EXPECT_EQ(columns.column(9, 4), 4);  // a line the text does not have
  EXPECT_EQ(columns.column(2, 0), 0);  // unknown stays unknown
}

TEST(CharStreamRuns, OverLinesMatchesOneAtATime) {
  // The reader takes many rows at once after reading the first character of
  // the first: every later read must see the position it would have seen.
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    std::string text = randomText(rng, 20 + static_cast<std::size_t>(round) * 5);
    CharStream single(text);
    std::vector<Read> expected = oneAtATime(single);
    std::size_t from = static_cast<std::size_t>(round) % 7;
    std::size_t upTo = text.rfind('\n');
    if (upTo == std::string::npos || upTo < from + 1) {
      continue;
    }
    CharStream bulk(text);
    for (std::size_t i = 0; i <= from; ++i) {
      bulk.get();
    }
    long long lines = std::count(text.begin() + static_cast<std::ptrdiff_t>(from) + 1,
                                 text.begin() + static_cast<std::ptrdiff_t>(upTo) + 1, '\n');
    if (lines == 0) {
      continue;
    }
    bulk.advanceOverLines(text.data() + upTo + 1, lines);
    ASSERT_EQ(bulk.line(), expected[upTo].line) << "round " << round;
    ASSERT_EQ(bulk.column(), expected[upTo].column) << "round " << round;
    for (std::size_t i = upTo + 1; i < expected.size(); ++i) {
      ASSERT_EQ(bulk.get(), expected[i].ch);
      ASSERT_EQ(bulk.line(), expected[i].line) << "round " << round << " at " << i;
      ASSERT_EQ(bulk.column(), expected[i].column) << "round " << round << " at " << i;
    }
  }
}
