// The reader takes a plain row in one step and any other row character by
// character. A row on the file's last line, with no line end after it, always
// takes the character loop: read both ways, a row must give the same values,
// warnings, lost relations or error.
#include "helpers.h"
#include "store/error.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace {

// What reading an input left, as text to compare.
std::vector<std::string> readBack(const std::string &text) {
  Loaded run;
  std::vector<std::string> seen;
  try {
    loadText(run, text);
  } catch (const InputError &e) {
    return {"error " + e.message() + " " + std::to_string(e.line()) + ":" + std::to_string(e.column())};
  }
  for (const auto &table : run.db.tables) {
    for (const Column *c = firstColumn(*table); c != nullptr; c = c->next) {
      for (const std::string &value : columnValues(*c)) {
        seen.push_back(table->name + "." + c->name + " [" + value + "]");
      }
    }
  }
  for (const Warning &w : run.command.warnings) {
    seen.push_back("warning " + w.message + " " + std::to_string(w.line) + ":" + std::to_string(w.column));
  }
  for (const LostRelation &l : run.command.lost) {
    seen.push_back("lost " + l.name + " " + l.message + " " + std::to_string(l.line) + ":" + std::to_string(l.column));
  }
  return seen;
}

// A value as a row may hold it: numbers whole or not, texts with blanks,
// commas and parentheses, quoted or not, and what a header would begin with.
std::string randomValue(std::mt19937 &rng) {
  static const std::vector<std::string> pieces = {"12", "-3", "+7", "007", "1e5",        "abc", " ", "\t", "x y",
                                                  "S(", "(",  ")",  "T(a", "2147483648", "",    "-", "é"};
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> count(0, 3);
  std::string value;
  for (int n = count(rng); n > 0; --n) {
    value += pieces[pick(rng)];
  }
  switch (count(rng)) {
  case 0:
    return "'" + value + "'";
  case 1: // a quoted value that holds a comma, with text after its quote
    return " '" + value + ",b'" + pieces[pick(rng)];
  default:
    return value;
  }
}

} // namespace

TEST(Reader, PlainRowsReadAsTheCharacterLoopReadsThem) {
  std::mt19937 rng(24);
  std::uniform_int_distribution<int> columnCount(1, 3);
  std::uniform_int_distribution<int> type(0, 1);
  for (int round = 0; round < 3000; ++round) {
    int columns = columnCount(rng);
    std::string header = "R(";
    for (int c = 0; c < columns; ++c) {
      header += (c > 0 ? ", c" : "c") + std::to_string(c) + (type(rng) == 0 ? " int" : " char(5)");
    }
    // One value more or less than the columns now and then.
    int values = columns + std::uniform_int_distribution<int>(-1, 1)(rng) * (round % 3 == 0 ? 1 : 0);
    std::string row;
    for (int v = 0; v < values; ++v) {
      row += (v > 0 ? "," : "") + randomValue(rng);
    }
    // A ',' as the file's last byte leaves the row open, as it may; an empty
    // last value at the end of the file is placed on its last byte.
    if (!row.empty() && (row.back() == ',' || row.back() == ' ' || row.back() == '\t')) {
      row += "0";
    }
    std::string text = "R\n\n" + header + ")\n" + row;
    EXPECT_EQ(readBack(text + "\n"), readBack(text)) << text;
  }
}
