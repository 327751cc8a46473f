// Ownership of relations in every state a failure can leave them in; the
// sanitizer build turns any leak or double free here into a failure.
#include "exec/executor.h"
#include "helpers.h"
#include "store/database.h"

#include <gtest/gtest.h>

TEST(Store, RaggedAndEmptyRelations) {
  Database db;
  Table &ragged = *db.tables.emplace_back(std::make_unique<Table>("R"));
  Column *a = linkColumn(ragged.schema, createColumn(ragged, "a", 0));
  Column *b = linkColumn(a, createColumn(ragged, "b", 5));
  appendStored(*a, "1");
  appendStored(*a, "a value long enough to leave any small-string buffer");
  appendStored(*b, "x");
  EXPECT_EQ(rowCount(ragged), 2U);
  db.tables.push_back(std::make_unique<Table>("Empty"));
  EXPECT_EQ(rowCount(*db.tables.back()), 0U);
}

TEST(Store, ResultsAndRenamedInputsAreReleasedOnce) {
  Loaded run;
  // rename at the root hands on an input relation; union creates a result.
  loadText(run, "union(rename(R, S(x)), S)\nR(a int)\n1\n\n");
  executeCommands(run.ev);
  ASSERT_NE(run.rootResult(), nullptr);
  EXPECT_EQ(run.db.results.size(), 1U);
  EXPECT_EQ(run.db.tables.size(), 1U);
  EXPECT_EQ(run.db.tables[0]->name, "S");
  EXPECT_EQ(run.db.findTable("S"), run.db.tables[0].get());
  EXPECT_EQ(run.db.findTable("R"), nullptr);
}

TEST(Store, ValuesOfScatteredTexts) {
  // Texts in blocks of their own, before and after the column's base: a
  // large one, then many small ones.
  std::deque<std::string> texts;
  texts.emplace_back(std::size_t{1} << 20, 'z');
  for (int i = 0; i < 10000; ++i) {
    texts.push_back(std::to_string(i));
  }
  Table t("T");
  Column *c = linkColumn(t.schema, createColumn(t, "v", 1));
  for (const std::string &text : texts) {
    appendStored(*c, text);
  }
  std::vector<std::string> values = columnValues(*c);
  ASSERT_EQ(values.size(), 10001U);
  EXPECT_EQ(values[0], texts[0]);
  EXPECT_EQ(values[10000], "9999");
}

TEST(Store, ValuesKeepTheirTextsAcrossTheShortLengthLimit) {
  // Views into one text, as the reader stores them: lengths around the
  // one-byte limit, an empty value, and a text before the column's base.
  std::string text(2000, 'a');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char>('a' + i % 26);
  }
  const std::vector<std::pair<std::size_t, std::size_t>> spans = {{100, 254}, {400, 255}, {700, 256},
                                                                  {0, 0},     {50, 1000}, {0, 7}};
  Table source("R");
  Table copy("S");
  Column *from = linkColumn(source.schema, createColumn(source, "v", 2000));
  Column *to = linkColumn(copy.schema, createColumn(copy, "v", 2000));
  for (auto [at, length] : spans) {
    appendStored(*from, std::string_view(text).substr(at, length));
  }
  to->base = from->base;
  for (std::size_t row = spans.size(); row-- > 0;) {
    appendCell(*to, *from, row);
  }
  for (std::size_t row = 0; row < spans.size(); ++row) {
    std::string_view expected = std::string_view(text).substr(spans[row].first, spans[row].second);
    EXPECT_EQ(from->value(row), expected) << row;
    EXPECT_EQ(to->value(spans.size() - 1 - row), expected) << row;
  }
  EXPECT_EQ(from->valueBytes, 254U + 255 + 256 + 1000 + 7);
  EXPECT_EQ(to->valueBytes, from->valueBytes);
}
