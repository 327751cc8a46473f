// Line ends as the input is read: CR LF pairs fold, every other CR stays; and
// the output's copy is followed by exactly one empty line before the result.
#include "input/line_ends.h"
#include "output/writer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

TEST(LineEnds, FoldLikeATextRead) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"a\r\n", "a\n"},
      {"a\r", "a\r"},
      {"\r\r\n", "\r\n"},
      {"\n\r", "\n\r"},
      {"x\r\ny\rz\n\r\n", "x\ny\rz\n\n"},
      {"\r\n\r\n", "\n\n"},
  };
  for (const auto &[text, expected] : cases) {
    std::string folded = text;
    foldLineEnds(folded);
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
