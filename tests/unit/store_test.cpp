// Destruction of stores in every state a failure can leave them in; the
// sanitizer build turns any leak or double free here into a failure.
#include "exec/executor.h"
#include "helpers.h"
#include "store/database.h"

#include <gtest/gtest.h>

TEST(Store, DestroyedRightAfterCreation) {
  auto *db = new Database();
  EXPECT_EQ(db->commands->prev, nullptr);
  EXPECT_EQ(db->commands->next, nullptr);
  EXPECT_EQ(db->commands->id, 0);
  delete db;
}

TEST(Store, DestroyedAfterEmptyCommandLine) {
  Database db;
  loadText(db, "\n");
  EXPECT_EQ(db.commands->next, db.commands);
  EXPECT_EQ(db.commands->prev, db.commands);
}

TEST(Store, DestroyedWithRingNeverClosed) {
  Database db;
  // As a tokenizer stopped by an exception leaves it: a chain from the head.
  auto *a = new CommandNode{};
  a->id = 1;
  a->moreArgs = new ArgLink{3, new ArgLink{4, nullptr}};
  auto *b = new CommandNode{};
  b->id = 2;
  db.commands->next = a;
  a->prev = db.commands;
  a->next = b;
  b->prev = a;
}

TEST(Store, DestroysRaggedAndEmptyRelations) {
  Database db;
  Table *ragged = createTable("R");
  db.tables.push_back(ragged);
  Column *a = linkColumn(ragged->schema, createColumn(*ragged, "a", 0));
  Column *b = linkColumn(a, createColumn(*ragged, "b", 5));
  appendValue(*ragged, *a, "1");
  appendValue(*ragged, *a, "a value long enough to leave any small-string buffer");
  appendValue(*ragged, *b, "x");
  EXPECT_EQ(rowCount(*ragged), 2U);
  db.tables.push_back(createTable("Empty"));
  EXPECT_EQ(rowCount(*db.tables.back()), 0U);
}

TEST(Store, ResultsAndRenamedInputsAreReleasedOnce) {
  Database db;
  // rename at the root hands on an input relation; union creates a result.
  loadText(db, "union(rename(R, S(x)), S)\nR(a int)\n1\n\n");
  executeCommands(db);
  ASSERT_NE(db.commands->next->result, nullptr);
  EXPECT_EQ(db.results.size(), 1U);
  EXPECT_EQ(db.tables.size(), 1U);
  EXPECT_EQ(db.tables[0]->name, "S");
}

TEST(Store, ArenaKeepsLargeAndManyValues) {
  Table t("T");
  Column *c = linkColumn(t.schema, createColumn(t, "v", 1));
  std::string big(1 << 20, 'z');
  appendValue(t, *c, big);
  for (int i = 0; i < 10000; ++i) {
    appendValue(t, *c, std::to_string(i));
  }
  std::vector<std::string> values = columnValues(*c);
  ASSERT_EQ(values.size(), 10001U);
  EXPECT_EQ(values[0], big);
  EXPECT_EQ(values[10000], "9999");
  EXPECT_EQ(c->cells->next->prev, c->cells);
}
