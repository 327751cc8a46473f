// The command ring: node tables of the tokenizer and the evaluation order.
#include "helpers.h"
#include "input/tokenizer.h"
#include "store/error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
  int id;
  NodeKind kind;
  std::string text;
  int firstArg;
  std::vector<int> moreArgs;
  bool operator==(const Row &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Row &r) {
  os << "{" << r.id << " k" << static_cast<int>(r.kind) << " '" << r.text << "' " << r.firstArg << " [";
  for (int a : r.moreArgs) {
    os << a << " ";
  }
  return os << "]}";
}

// The nodes in id order, read through the index.
std::vector<Row> nodesOf(const Loaded &run) {
  std::vector<Row> rows;
  for (std::size_t i = 1; i < run.command.nodes.size(); ++i) {
    const CommandNode *n = &run.command.nodes[i];
    Row r{n->id, n->kind, n->text, n->firstArg, {}};
    for (const ArgLink &l : n->moreArgs) {
      r.moreArgs.push_back(l.id);
    }
    rows.push_back(r);
  }
  return rows;
}

// The ids in ring order from the head's next; checks the prev links too.
std::vector<int> ringOrder(const Loaded &run) {
  std::vector<int> ids;
  const CommandNode *head = run.command.head();
  for (const CommandNode *n = head->next; n != head; n = n->next) {
    EXPECT_EQ(n->next->prev, n);
    ids.push_back(n->id);
  }
  EXPECT_EQ(head->next->prev, head);
  return ids;
}

std::vector<Row> parse(Loaded &db, const std::string &line) {
  loadText(db, line + "\n");
  return nodesOf(db);
}

} // namespace

TEST(Tokenizer, SelectWithNestedCondition) {
  Loaded db;
  std::vector<Row> expected{
      {1, NodeKind::selectOp, "select", 2, {3}}, {2, NodeKind::name, "R", 0, {}}, {3, NodeKind::andOp, "AND", 4, {7}},
      {4, NodeKind::eq, "EQ", 5, {6}},           {5, NodeKind::name, "a", 0, {}}, {6, NodeKind::literal, "x", 0, {}},
      {7, NodeKind::gt, "GT", 8, {9}},           {8, NodeKind::name, "b", 0, {}}, {9, NodeKind::name, "d", 0, {}},
  };
  EXPECT_EQ(parse(db, "select(R, AND(EQ(a, 'x'), GT(b, d)))"), expected);
  EXPECT_EQ(ringOrder(db), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(Tokenizer, RenameAndProjectForms) {
  Loaded r;
  std::vector<Row> rename{{1, NodeKind::renameOp, "rename", 2, {3}},
                          {2, NodeKind::name, "R", 0, {}},
                          {3, NodeKind::otherWord, "S", 4, {5}},
                          {4, NodeKind::name, "x", 0, {}},
                          {5, NodeKind::name, "y", 0, {}}};
  EXPECT_EQ(parse(r, "rename(R, S(x, y))"), rename);
  Loaded p;
  std::vector<Row> project{{1, NodeKind::projectOp, "project", 2, {3, 4}},
                           {2, NodeKind::name, "R", 0, {}},
                           {3, NodeKind::name, "a", 0, {}},
                           {4, NodeKind::name, "b", 0, {}}};
  EXPECT_EQ(parse(p, "project(R, a, b)"), project);
}

TEST(Tokenizer, WordsBlanksAndLiterals) {
  Loaded db;
  // Blanks vanish inside words; characters before a quote join the literal; a
  // literal keeps ',', '(' and ')'; keywords count only before '('.
  std::vector<Row> expected{{1, NodeKind::selectOp, "select", 2, {3}},
                            {2, NodeKind::name, "myR", 0, {}},
                            {3, NodeKind::eq, "EQ", 4, {5}},
                            {4, NodeKind::literal, "abcd", 0, {}},
                            {5, NodeKind::literal, "x, (y)", 0, {}}};
  EXPECT_EQ(parse(db, "sel ect(my R, EQ(ab'cd', 'x, (y)')) extra"), expected);
  Loaded k;
  std::vector<Row> keywords{
      {1, NodeKind::otherWord, "Union", 2, {3}}, {2, NodeKind::name, "select", 0, {}}, {3, NodeKind::name, "R", 0, {}}};
  EXPECT_EQ(parse(k, "Union(select, R)"), keywords);
}

TEST(Tokenizer, EmptyWordsAndMissingOperands) {
  Loaded db;
  // '(' after a literal makes an other word with empty text; firstArg is
  // id + 1 even when no node follows; an ArgLink may name no node.
  std::vector<Row> expected{
      {1, NodeKind::unionOp, "union", 2, {3}}, {2, NodeKind::literal, "q", 0, {}}, {3, NodeKind::otherWord, "", 4, {}}};
  EXPECT_EQ(parse(db, "union('q',())"), expected);
  Loaded u;
  EXPECT_EQ(parse(u, "union(R,)"),
            (std::vector<Row>{{1, NodeKind::unionOp, "union", 2, {3}}, {2, NodeKind::name, "R", 0, {}}}));
}

TEST(Tokenizer, NoTokens) {
  for (const char *line : {"", "   ", ")))"}) {
    Loaded db;
    EXPECT_THROW(parse(db, line), InputError) << line;
  }
  // A word alone is kept, so that the error can name it.
  Loaded bare;
  EXPECT_EQ(parse(bare, "R"), (std::vector<Row>{{1, NodeKind::name, "R", 0, {}}}));
}

TEST(Tokenizer, ClosingParenthesisReturnsToEnclosingOperator) {
  Loaded db;
  // rename's target S takes one column only, so no ',' closes it; product
  // still receives T.
  std::vector<Row> nodes = parse(db, "product(rename(R, S(x)), T)");
  ASSERT_EQ(nodes.size(), 6U);
  EXPECT_EQ(nodes[0], (Row{1, NodeKind::productOp, "product", 2, {6}}));
  EXPECT_EQ(nodes[3], (Row{4, NodeKind::otherWord, "S", 5, {}}));
  Loaded n;
  // NOT never takes a ','; AND still gets its second operand.
  std::vector<Row> withNot = parse(n, "select(R, AND(NOT(EQ(a, 'x')), GT(b, c)))");
  EXPECT_EQ(withNot[2], (Row{3, NodeKind::andOp, "AND", 4, {8}}));
  Loaded u;
  // Nothing after the command's last ')' becomes a node: the ')' too many
  // and what follows are dropped with one warning.
  EXPECT_EQ(parse(u, "union(R, S)), T").size(), 3U);
  EXPECT_TRUE(u.command.head()->moreArgs.empty());
  ASSERT_EQ(u.command.warnings.size(), 1U);
  EXPECT_EQ(u.command.warnings[0].column, 12);
}

TEST(Tokenizer, LiteralRunsAcrossLinesAndPositionsAreKept) {
  Loaded db;
  loadText(db, "select(R,\tEQ(a, 'x\ny'))\nR(a char(3))\n");
  std::vector<Row> nodes = nodesOf(db);
  ASSERT_EQ(nodes.size(), 5U);
  EXPECT_EQ(nodes[4].text, "x\ny");
  EXPECT_EQ(db.command.findNode(3)->line, 1);
  EXPECT_EQ(db.command.findNode(3)->column, 11);
  EXPECT_EQ(db.command.findNode(5)->column, 17);
  ASSERT_EQ(db.db.tables.size(), 1U);
  EXPECT_EQ(db.db.tables[0]->name, "R");
}

TEST(Order, UnionAndMinusUnderProduct) {
  Loaded db;
  parse(db, "product(union(R, S), minus(T, U))");
  EXPECT_EQ(ringOrder(db), (std::vector<int>{1, 5, 2, 3, 4, 6, 7}));
}

TEST(Order, NestedPairsMoveInScanOrder) {
  Loaded db;
  std::vector<Row> before =
      parse(db, "product(union(minus(R1, R2), minus(R3, R4)), union(minus(R5, R6), minus(R7, R8)))");
  EXPECT_EQ(ringOrder(db), (std::vector<int>{1, 9, 2, 6, 3, 4, 5, 7, 8, 13, 10, 11, 12, 14, 15}));
  EXPECT_EQ(nodesOf(db), before); // ids and operands untouched
}

TEST(Order, UnchangedWhenAnOperandIsNoBinaryOperator) {
  for (const char *line : {"union(R, minus(S, T))", "product(select(R, EQ(a, 'x')), minus(S, T))"}) {
    Loaded db;
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
    Loaded db;
    std::size_t n = parse(db, line).size();
    EXPECT_EQ(ringOrder(db).size(), n) << line;
  }
}
