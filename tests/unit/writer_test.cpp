// Line ends as the input is read: CR LF pairs fold, every other CR stays; the
// output's copy is followed by exactly one empty line before the result; and
// the result's values come out whole across the writer's 64 KiB blocks.
#include "input/line_ends.h"
#include "output/writer.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

TEST(LineEnds, FoldLikeATextRead) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"a\r\n", "a\n"},
      {"a\r", "a\n"}, // no LF anywhere: CR ends lines
      {"p(R)\rR(a int)\r1\r", "p(R)\nR(a int)\n1\n"},
      {"\r\r\n", "\r\n"},
      {"\n\r", "\n\r"},
      {"x\r\ny\rz\n\r\n", "x\ny\rz\n\n"},
      {"\r\n\r\n", "\n\n"},
  };
  for (const auto &[text, expected] : cases) {
    std::string folded = text;
    folded.resize(foldLineEnds(folded.data(), folded.size()));
    EXPECT_EQ(folded, expected);
  }
}

TEST(Writer, CopyEndsWithOneEmptyLineWhateverItsNewlines) {
  Table t("T");
  linkColumn(t.schema, createColumn(t, "a", 0));
  for (const std::string copy : {"c", "c\n", "c\n\n", "c\n\n\n", ""}) {
    std::ostringstream out;
    writeOutputTo(copy, &t, out);
    std::string expected = copy;
    while (expected.size() < 2 || expected.substr(expected.size() - 2) != "\n\n") {
      expected += '\n';
    }
    EXPECT_EQ(out.str(), expected + "T(a int)\n\n") << copy;
  }
}

TEST(Writer, ValuesAcrossAndBeyondItsBlocks) {
  // Values that end a block exactly, straddle its end, or outgrow it (one
  // right after another), then enough short rows to fill several blocks.
  const std::size_t block = std::size_t{1} << 16;
  std::deque<std::string> texts = {std::string(block - 30, 'a'), "",  std::string(block + 1, 'b'), "",
                                   std::string(block, 'c'),      "x", std::string(3 * block, 'd')};
  for (int i = 0; i < 30000; ++i) {
    texts.push_back("v" + std::to_string(i));
  }
  std::deque<std::string> numbers;
  Table t("T");
  Column *v = linkColumn(t.schema, createColumn(t, "v", 300000));
  Column *n = linkColumn(v, createColumn(t, "n", 0));
  std::string expected = "c\n\nT(v char(300000), n int)\n";
  for (const std::string &text : texts) {
    const std::string &number = numbers.emplace_back(std::to_string(numbers.size()));
    appendStored(*v, text);
    appendStored(*n, number);
    expected += "'" + text + "'," + number + "\n";
  }
  expected += "\n";
  std::ostringstream out;
  writeOutputTo("c\n", &t, out);
  ASSERT_EQ(out.str().size(), expected.size());
  EXPECT_TRUE(out.str() == expected);
}
