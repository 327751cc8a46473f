// The writer copies its input in blocks: the copy must be the whole input
// with CR LF folded, however the pairs and the final newlines fall on block
// boundaries.
#include "output/writer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t block = 1 << 16;

std::string folded(std::string text) {
  foldLineEnds(text);
  return text;
}

std::size_t trailingOf(const std::string &text) {
  std::size_t n = 0;
  while (n < 2 && n < text.size() && text[text.size() - 1 - n] == '\n') {
    ++n;
  }
  return n;
}

void expectCopies(const std::string &text) {
  std::istringstream in(text);
  std::ostringstream out;
  std::size_t trailing = copyFolded(in, out);
  std::string expected = folded(text);
  ASSERT_EQ(out.str().size(), expected.size());
  ASSERT_TRUE(out.str() == expected);
  ASSERT_EQ(trailing, trailingOf(expected));
}

} // namespace

TEST(CopyFolded, FoldsLikeATextRead) {
  for (const std::string &text : std::vector<std::string>{"", "\n", "\n\n\n", "a", "a\r\n", "a\r", "\r", "\r\r\n",
                                                          "a\r\n\r\n", "a\n\r", "x\r\ny\rz\n\r\n"}) {
    expectCopies(text);
  }
}

TEST(CopyFolded, PairsAndNewlinesAcrossBlockBoundaries) {
  // Put every tail pattern right before, at and after each block boundary.
  const std::vector<std::string> tails = {"\r", "\r\n", "\n", "\n\n", "\r\r\n", "\r\n\r\n", "\n\r", "x"};
  for (std::size_t length : {block - 2, block - 1, block, block + 1, 2 * block - 1, 2 * block}) {
    for (const std::string &head : tails) {
      for (const std::string &tail : tails) {
        std::string text(length - head.size(), 'a');
        text += head;
        text += tail;
        expectCopies(text);
        expectCopies(text + "\n");
      }
    }
  }
}

TEST(CopyFolded, RandomLineEnds) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> pick(0, 5);
  std::uniform_int_distribution<std::size_t> size(0, 3 * block);
  for (int round = 0; round < 40; ++round) {
    std::string text(size(rng), 'a');
    for (char &c : text) {
      int p = pick(rng);
      c = p == 0 ? '\r' : (p == 1 ? '\n' : 'a');
    }
    expectCopies(text);
  }
}

TEST(CopyFolded, SecondNewlineInItsOwnBlock) {
  // One block of text ending in one newline, the next holding only another.
  std::string text(block - 1, 'a');
  text += "\n\n";
  expectCopies(text);
  std::string allNewlines(block + 3, '\n');
  expectCopies(allNewlines);
}
