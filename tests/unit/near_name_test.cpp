// Near-name suggestions: what a misspelt operator, condition, relation or
// column is taken to mean, and when no suggestion is made.
#include "diag/near_name.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

const std::vector<std::string_view> operators{"union", "minus", "product", "project", "rename", "select"};
const std::vector<std::string_view> conditions{"EQ", "NEQ", "LT", "LTE", "GT", "GTE", "AND", "OR", "NOT"};

} // namespace

TEST(EditDistance, CaseIsFreeAndASwapIsOneEdit) {
  EXPECT_EQ(editDistance("UNION", "union"), 0U);
  EXPECT_EQ(editDistance("unoin", "union"), 1U);
  EXPECT_EQ(editDistance("nmae", "name"), 1U);
  EXPECT_EQ(editDistance("selct", "select"), 1U);
  EXPECT_EQ(editDistance("", "abc"), 3U);
  EXPECT_EQ(editDistance("join", "union"), 3U);
}

TEST(NearestName, KeywordsMisspeltOrInTheWrongCase) {
  EXPECT_EQ(nearestName("unoin", operators), "union");
  EXPECT_EQ(nearestName("UNION", operators), "union");
  EXPECT_EQ(nearestName("Select", operators), "select");
  EXPECT_EQ(nearestName("prodcut", operators), "product");
  EXPECT_EQ(nearestName("projet", operators), "project"); // not product
  EXPECT_EQ(nearestName("eq", conditions), "EQ");
  EXPECT_EQ(nearestName("and", conditions), "AND");
  EXPECT_EQ(nearestName("NOTT", conditions), "NOT");
}

TEST(NearestName, OnlyWhenNearEnough) {
  EXPECT_EQ(nearestName("join", operators), "");
  EXPECT_EQ(nearestName("LE", conditions), ""); // two letters allow no edit
  EXPECT_EQ(nearestName("Q", std::vector<std::string_view>{"R", "S"}), "");
  EXPECT_EQ(nearestName("union", operators), ""); // the word itself is no suggestion
  EXPECT_EQ(nearestName("", operators), "");
  // Two edits at most, however long the word.
  EXPECT_EQ(nearestName("abcdefghijkl", std::vector<std::string_view>{"abcdefghi"}), "");
  EXPECT_EQ(nearestName("abcdefghijkl", std::vector<std::string_view>{"abcdefghij"}), "abcdefghij");
  // Long words get none: an error path must stay cheap.
  std::string longWord(100, 'a');
  std::string near = longWord + "b";
  EXPECT_EQ(nearestName(longWord, std::vector<std::string_view>{near}), "");
}

TEST(NearestName, ColumnsAndRelationsNearestFirstThenFirstNamed) {
  std::vector<std::string_view> columns{"id", "name", "names"};
  EXPECT_EQ(nearestName("nmae", columns), "name");
  EXPECT_EQ(nearestName("nams", columns), "name"); // name and names both one edit away
  EXPECT_EQ(nearestName("Names", columns), "names");
  EXPECT_EQ(suggestion("nmae", columns), " Erre gondoltal: name?");
  EXPECT_EQ(suggestion("xyz", columns), "");
}
