// The command ring: node tables of the tokenizer and the evaluation order.
#include "helpers.h"
#include "input/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
  int id;
  int kind;
  std::string text;
  int firstArg;
  std::vector<int> moreArgs;
  bool operator==(const Row &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Row &r) {
  os << "{" << r.id << " k" << r.kind << " '" << r.text << "' " << r.firstArg << " [";
  for (int a : r.moreArgs) {
    os << a << " ";
  }
  return os << "]}";
}

// The nodes in id order, read through the index.
std::vector<Row> nodesOf(const Database &db) {
  std::vector<Row> rows;
  for (std::size_t i = 1; i < db.nodeIndex.size(); ++i) {
    const CommandNode *n = db.nodeIndex[i];
    Row r{n->id, n->kind, n->text, n->firstArg, {}};
    for (const ArgLink *l = n->moreArgs; l != nullptr; l = l->next) {
      r.moreArgs.push_back(l->id);
    }
    rows.push_back(r);
  }
  return rows;
}

// The ids in ring order from the head's next; checks the prev links too.
std::vector<int> ringOrder(const Database &db) {
  std::vector<int> ids;
  const CommandNode *head = db.commands;
  for (const CommandNode *n = head->next; n != head; n = n->next) {
    EXPECT_EQ(n->next->prev, n);
    ids.push_back(n->id);
  }
  EXPECT_EQ(head->next->prev, head);
  return ids;
}

std::vector<Row> parse(Database &db, const std::string &line) {
  loadText(db, line + "\n");
  return nodesOf(db);
}

} // namespace

TEST(Tokenizer, SelectWithNestedCondition) {
  Database db;
  std::vector<Row> expected{
      {1, kindSelect, "select", 2, {3}}, {2, kindName, "R", 0, {}}, {3, kindAnd, "AND", 4, {7}},
      {4, kindEq, "EQ", 5, {6}},         {5, kindName, "a", 0, {}}, {6, kindLiteral, "x", 0, {}},
      {7, kindGt, "GT", 8, {9}},         {8, kindName, "b", 0, {}}, {9, kindName, "d", 0, {}},
  };
  EXPECT_EQ(parse(db, "select(R, AND(EQ(a, 'x'), GT(b, d)))"), expected);
  EXPECT_EQ(ringOrder(db), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(Tokenizer, RenameAndProjectForms) {
  Database r;
  std::vector<Row> rename{{1, kindRename, "rename", 2, {3}},
                          {2, kindName, "R", 0, {}},
                          {3, kindOtherWord, "S", 4, {5}},
                          {4, kindName, "x", 0, {}},
                          {5, kindName, "y", 0, {}}};
  EXPECT_EQ(parse(r, "rename(R, S(x, y))"), rename);
  Database p;
  std::vector<Row> project{{1, kindProject, "project", 2, {3, 4}},
                           {2, kindName, "R", 0, {}},
                           {3, kindName, "a", 0, {}},
                           {4, kindName, "b", 0, {}}};
  EXPECT_EQ(parse(p, "project(R, a, b)"), project);
}

TEST(Tokenizer, WordsBlanksAndLiterals) {
  Database db;
  // Blanks vanish inside words; characters before a quote join the literal; a
  // literal keeps ',', '(' and ')'; keywords count only before '('.
  std::vector<Row> expected{{1, kindSelect, "select", 2, {3}},
                            {2, kindName, "myR", 0, {}},
                            {3, kindEq, "EQ", 4, {5}},
                            {4, kindLiteral, "abcd", 0, {}},
                            {5, kindLiteral, "x, (y)", 0, {}}};
  EXPECT_EQ(parse(db, "sel ect(my R, EQ(ab'cd', 'x, (y)')) extra"), expected);
  Database k;
  std::vector<Row> keywords{
      {1, kindOtherWord, "Union", 2, {3}}, {2, kindName, "select", 0, {}}, {3, kindName, "R", 0, {}}};
  EXPECT_EQ(parse(k, "Union(select, R)"), keywords);
}

TEST(Tokenizer, EmptyWordsAndMissingOperands) {
  Database db;
  // '(' after a literal makes an other word with empty text; firstArg is
  // id + 1 even when no node follows; an ArgLink may name no node.
  std::vector<Row> expected{
      {1, kindUnion, "union", 2, {3}}, {2, kindLiteral, "q", 0, {}}, {3, kindOtherWord, "", 4, {}}};
  EXPECT_EQ(parse(db, "union('q',())"), expected);
  Database u;
  EXPECT_EQ(parse(u, "union(R,)"), (std::vector<Row>{{1, kindUnion, "union", 2, {3}}, {2, kindName, "R", 0, {}}}));
}

TEST(Tokenizer, NoTokens) {
  for (const char *line : {"", "R", "   "}) {
    Database db;
    EXPECT_TRUE(parse(db, line).empty()) << line;
    EXPECT_EQ(db.commands->next, db.commands);
  }
}

TEST(Tokenizer, ClosingParenthesisReturnsToEnclosingOperator) {
  Database db;
  // rename's target S takes one column only, so no ',' closes it; product
  // still receives T.
  std::vector<Row> nodes = parse(db, "product(rename(R, S(x)), T)");
  ASSERT_EQ(nodes.size(), 6U);
  EXPECT_EQ(nodes[0], (Row{1, kindProduct, "product", 2, {6}}));
  EXPECT_EQ(nodes[3], (Row{4, kindOtherWord, "S", 5, {}}));
  Database n;
  // NOT never takes a ','; AND still gets its second operand.
  std::vector<Row> withNot = parse(n, "select(R, AND(NOT(EQ(a, 'x')), GT(b, c)))");
  EXPECT_EQ(withNot[2], (Row{3, kindAnd, "AND", 4, {8}}));
  Database u;
  // An unmatched ')' leaves the head current: the ',' after it goes there.
  parse(u, "union(R, S)), T");
  ASSERT_NE(u.commands->moreArgs, nullptr);
  EXPECT_EQ(u.commands->moreArgs->id, 4);
}

TEST(Tokenizer, LiteralRunsAcrossLinesAndPositionsAreKept) {
  Database db;
  loadText(db, "select(R,\tEQ(a, 'x\ny'))\nR(a char(3))\n");
  std::vector<Row> nodes = nodesOf(db);
  ASSERT_EQ(nodes.size(), 5U);
  EXPECT_EQ(nodes[4].text, "x\ny");
  EXPECT_EQ(db.findNode(3)->line, 1);
  EXPECT_EQ(db.findNode(3)->column, 11);
  EXPECT_EQ(db.findNode(5)->column, 17);
  ASSERT_EQ(db.tables.size(), 1U);
  EXPECT_EQ(db.tables[0]->name, "R");
}

TEST(Order, UnionAndMinusUnderProduct) {
  Database db;
  parse(db, "product(union(R, S), minus(T, U))");
  EXPECT_EQ(ringOrder(db), (std::vector<int>{1, 5, 2, 3, 4, 6, 7}));
}

TEST(Order, NestedPairsMoveInScanOrder) {
  Database db;
  std::vector<Row> before =
      parse(db, "product(union(minus(R1, R2), minus(R3, R4)), union(minus(R5, R6), minus(R7, R8)))");
  EXPECT_EQ(ringOrder(db), (std::vector<int>{1, 9, 2, 6, 3, 4, 5, 7, 8, 13, 10, 11, 12, 14, 15}));
  EXPECT_EQ(nodesOf(db), before); // ids and operands untouched
}

TEST(Order, UnchangedWhenAnOperandIsNoBinaryOperator) {
  for (const char *line : {"union(R, minus(S, T))", "product(select(R, EQ(a, 'x')), minus(S, T))"}) {
    Database db;
    std::size_t n = parse(db, line).size();
    std::vector<int> expected;
    for (int i = 1; i <= static_cast<int>(n); ++i) {
      expected.push_back(i);
    }
    EXPECT_EQ(ringOrder(db), expected) << line;
  }
}

TEST(Order, MalformedOperandsLeaveTheRingIntact) {
  // Missing operands, and one node named as both operands.
  for (const char *line : {"union()", "union(R,)", "union(R)", "union(,minus(R,S))", "product(union(,),minus(,))"}) {
    Database db;
    std::size_t n = parse(db, line).size();
    EXPECT_EQ(ringOrder(db).size(), n) << line;
  }
}
