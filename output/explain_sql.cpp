// The SQL form of an explanation: a script that creates and fills each
// relation of the input that the command read, then one query that returns
// the command's result rows in tabulon's order. Every relation carries its
// row order in a column of its own, so that product and select keep their
// operands' order; union, minus and project are set operations numbered in
// ascending row order.
#include "diag/messages.h"
#include "exec/rows.h"
#include "output/explain.h"
#include "output/explain_nodes.h"
#include "output/sql_text.h"
#include "store/error.h"
#include "store/int_value.h"

#include <algorithm>
#include <cassert>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::size_t rowsPerInsert = 500;
// Sharing in a condition tree can make its written-out form exponentially
// larger than the tree itself.
constexpr std::size_t conditionTermLimit = 100000;

// A relation as the query reaches it: a table of the script or a named
// subquery of its WITH clause.
struct SqlRelation {
  std::string name;                 // quoted
  std::vector<std::string> columns; // quoted, distinct once folded
  std::vector<std::int32_t> widths;
};

class SqlWriter {
public:
  SqlWriter(const Explained &explained, std::ostream &out) : e_(explained), out_(out) {}

  void run() {
    collectInputs(); // first, as it may refuse the whole script
    out_ << "-- The command as SQL: the relations it reads, then one query that returns\n"
            "-- its result rows in tabulon's order.\n";
    std::string query = buildQuery();
    for (const std::string &warning : warnings_) {
      out_ << "-- Warning: " << commentText(warning) << "\n";
    }
    for (const auto &[index, relation] : tables_) {
      writeTable(index, relation);
    }
    out_ << query;
  }

private:
  void collectInputs() {
    std::set<std::size_t> used;
    std::set<std::string> names; // every column name, so that the order column meets none
    for (const TraceStep &step : e_.trace.steps()) {
      for (const TraceOperand &operand : step.operands) {
        if (operand.input && *operand.input < e_.db.tables.size() && *operand.input < e_.trace.inputs().size()) {
          used.insert(*operand.input);
        }
      }
      for (const TraceColumn &c : step.result.columns) {
        refuseUnsayable(c.name, msg::sqlResultColumnName());
        names.insert(folded(c.name));
      }
    }
    for (std::size_t index : used) {
      const TraceRelation &input = e_.trace.inputs()[index];
      refuseUnsayable(input.name, msg::sqlRelationName());
      for (const TraceColumn &c : input.columns) {
        refuseUnsayable(c.name, msg::sqlColumnName(), &input.name);
        names.insert(folded(c.name));
      }
    }
    names_.avoid(names);
    for (std::size_t index : used) {
      const TraceRelation &input = e_.trace.inputs()[index];
      SqlRelation relation;
      relation.name = names_.relation(input.name.empty() ? "relation" : input.name);
      relation.columns = names_.columns(input.columns);
      for (const TraceColumn &c : input.columns) {
        relation.widths.push_back(c.width);
      }
      checkInput(input, *e_.db.tables[index]);
      tables_.emplace(index, std::move(relation));
    }
  }

  // What in an input relation's values SQL cannot say as tabulon does.
  void checkInput(const TraceRelation &input, const Table &table) {
    bool plainInts = true;
    for (RowCursor row(table); !row.exhausted(); row.advance()) {
      for (std::size_t c = 0; c < row.columns.size(); ++c) {
        std::string_view value = row.value(c);
        plainInts = plainInts && (row.widths[c] != 0 || intText(value) == value);
        if (row.widths[c] != 0) {
          refuseUnsayable(value, msg::sqlValue(), &input.name);
        }
      }
    }
    if (!plainInts) {
      warnings_.push_back("relation " + input.name +
                          " holds int values that are not plain numbers; they are written as the numbers tabulon "
                          "compares them as, which its output does not show.");
    }
  }

  void writeTable(std::size_t index, const SqlRelation &relation) {
    std::string columns;
    std::string definition;
    for (std::size_t c = 0; c < relation.columns.size(); ++c) {
      columns += relation.columns[c] + ", ";
      definition += relation.columns[c] + " " + sqlType(relation.widths[c]) + ", ";
    }
    columns += names_.position();
    out_ << "\nCREATE TABLE " << relation.name << " (" << definition << names_.position() << " INTEGER);\n";
    std::string buf;
    RowCursor row(*e_.db.tables[index]);
    for (std::size_t n = 1; !row.exhausted(); row.advance(), ++n) {
      buf += n % rowsPerInsert == 1 ? "INSERT INTO " + relation.name + " (" + columns + ") VALUES\n  (" : ",\n  (";
      for (std::size_t c = 0; c < row.columns.size(); ++c) {
        std::string_view value = row.value(c);
        buf += row.widths[c] == 0 ? intText(value) : textLiteral(value);
        buf += ", ";
      }
      buf += std::to_string(n) + ")";
      RowCursor next = row;
      next.advance();
      if (n % rowsPerInsert == 0 || next.exhausted()) {
        buf += ";\n";
        out_ << buf;
        buf.clear();
      }
    }
  }

  // The WITH query for the command, or a comment saying why there is none.
  std::string buildQuery() {
    const auto &failure = e_.trace.failure();
    if (failure) {
      std::string where;
      if (const CommandNode *node = e_.command.findNode(failure->nodeId); node != nullptr && node->id > 0) {
        where = " at " + node->text + " " + std::to_string(node->line) + ":" + std::to_string(node->column);
      }
      return "\n-- No query: the evaluation stopped" + commentText(where) + ": " + commentText(failure->message) + "\n";
    }
    const CommandNode *root = e_.command.root();
    if (root == nullptr || !isRelational(root->kind) || e_.trace.stepOf(root->id) == nullptr) {
      return "\n-- No query: the command gives no result relation.\n";
    }
    std::string with;
    for (const TraceStep &step : e_.trace.steps()) {
      std::string body = subquery(step);
      if (!broken_.empty()) {
        return "\n-- No query: " + commentText(broken_) + "\n";
      }
      const CommandNode &node = *e_.command.findNode(step.nodeId);
      with += (with.empty() ? "\nWITH\n" : ",\n") + std::string("  -- ") +
              commentText(std::string(kindWord(node.kind)) + " " + std::to_string(node.line) + ":" +
                          std::to_string(node.column) + " -> " + headerText(step.result) + ", " +
                          rowsText(step.result.rowCount)) +
              "\n  " + ctes_.at(step.nodeId).name + " AS (\n" + body + ")";
    }
    const SqlRelation &result = ctes_.at(root->id);
    const TraceStep &last = *e_.trace.stepOf(root->id);
    std::string select;
    for (std::size_t c = 0; c < result.columns.size(); ++c) {
      const std::string &name = last.result.columns[c].name;
      select += (c > 0 ? ", " : "") + (name.empty() ? result.columns[c] : aliased(result.columns[c], identifier(name)));
    }
    if (select.empty()) {
      select = names_.position(); // SQL cannot select no column; the relation has no rows
    }
    return with + "\nSELECT " + select + " FROM " + result.name + " ORDER BY " + names_.position() + ";\n";
  }

  static std::string aliased(const std::string &expression, const std::string &name) {
    return expression == name ? expression : expression + " AS " + name;
  }

  // The relation that the operand at position stands for.
  const SqlRelation *operandRelation(const TraceStep &step, std::size_t position) {
    if (position >= step.operands.size()) {
      broken_ = "an operand of node " + std::to_string(step.nodeId) + " is missing.";
      return nullptr;
    }
    const TraceOperand &operand = step.operands[position];
    const SqlRelation *found = nullptr;
    if (operand.input) {
      auto table = tables_.find(*operand.input);
      found = table != tables_.end() ? &table->second : nullptr;
    } else {
      auto cte = ctes_.find(operand.nodeId);
      found = cte != ctes_.end() ? &cte->second : nullptr;
    }
    if (found == nullptr || found->columns.size() != operand.relation.columns.size()) {
      broken_ = "the operand of node " + std::to_string(step.nodeId) + " is not known.";
      return nullptr;
    }
    return found;
  }

  // The body of the named subquery for one operator; fills ctes_ for it.
  std::string subquery(const TraceStep &step) {
    const CommandNode &node = *e_.command.findNode(step.nodeId);
    SqlRelation self;
    self.name = names_.relation(std::string(kindWord(node.kind)) + "_" + std::to_string(node.id));
    self.columns = names_.columns(step.result.columns);
    for (const TraceColumn &c : step.result.columns) {
      self.widths.push_back(c.width);
    }
    auto operands = static_cast<std::size_t>(factsOf(node.kind).relationOperands);
    std::vector<const SqlRelation *> from;
    for (std::size_t i = 0; i < operands; ++i) {
      from.push_back(operandRelation(step, i));
      if (from.back() == nullptr) {
        return {};
      }
    }
    const SqlRelation &a = *from[0];
    std::string body;
    if (self.columns.empty()) {
      body = "    SELECT " + names_.position() + " FROM " + a.name + " WHERE 1 = 0\n  "; // no columns, no rows
    } else if (node.kind == NodeKind::selectOp) {
      assert(a.columns.size() == self.columns.size());
      body = selectBody(step, node, a, self);
    } else if (node.kind == NodeKind::renameOp) {
      assert(a.columns.size() == self.columns.size());
      body = "    SELECT " + columnList(a, self, 0) + ", " + names_.position() + " FROM " + a.name + "\n  ";
    } else if (node.kind == NodeKind::productOp) {
      body = productBody(*from[0], *from[1], self);
    } else if (node.kind == NodeKind::projectOp) {
      body = projectBody(step, node, a, self);
    } else if (node.kind == NodeKind::joinOp && node.moreArgs.size() >= 2) {
      body = conditionJoinBody(step, node, *from[0], *from[1], self);
    } else if (node.kind == NodeKind::joinOp) {
      body = naturalJoinBody(step, *from[0], *from[1], self);
    } else if (node.kind == NodeKind::semijoinOp || node.kind == NodeKind::antijoinOp) {
      body = semijoinBody(step, node, *from[0], *from[1], self);
    } else if (node.kind == NodeKind::divideOp) {
      body = divideBody(step, *from[0], *from[1], self);
    } else {
      body = mergeBody(node, *from[0], *from[1], self);
    }
    ctes_.emplace(step.nodeId, std::move(self));
    return body;
  }

  // source's columns from the first on, named as self's.
  static std::string columnList(const SqlRelation &source, const SqlRelation &self, std::size_t first,
                                const std::string &qualifier = "") {
    assert(first + source.columns.size() <= self.columns.size());
    std::string list;
    for (std::size_t c = 0; c < source.columns.size(); ++c) {
      list += (c > 0 ? ", " : "") + aliased(qualifier + source.columns[c], self.columns[first + c]);
    }
    return list;
  }

  std::string numbered(const SqlRelation &self, const std::string &from) {
    std::string columns;
    for (std::size_t c = 0; c < self.columns.size(); ++c) {
      columns += (c > 0 ? ", " : "") + self.columns[c];
    }
    return "    SELECT " + columns + ", ROW_NUMBER() OVER (ORDER BY " + columns + ") AS " + names_.position() +
           "\n    FROM (" + from + ") AS \"rows\"\n  ";
  }

  std::string productBody(const SqlRelation &a, const SqlRelation &b, const SqlRelation &self) {
    std::string list = columnList(a, self, 0, "\"l\".");
    std::string second = columnList(b, self, a.columns.size(), "\"r\".");
    list += (!list.empty() && !second.empty() ? ", " : "") + second;
    return "    SELECT " + list + ",\n      ROW_NUMBER() OVER (ORDER BY \"l\"." + names_.position() + ", \"r\"." +
           names_.position() + ") AS " + names_.position() + "\n    FROM " + a.name + " AS \"l\" CROSS JOIN " + b.name +
           " AS \"r\"\n  ";
  }

  std::string mergeBody(const CommandNode &node, const SqlRelation &a, const SqlRelation &b, const SqlRelation &self) {
    assert(a.columns.size() == b.columns.size() && "the executor refuses operands that differ");
    // Set semantics: neither the operands' order nor their char widths change
    // what union and minus give.
    std::string second;
    for (std::size_t c = 0; c < b.columns.size(); ++c) {
      second += c > 0 ? ", " : "";
      if ((b.widths[c] == 0) == (a.widths[c] == 0)) {
        second += b.columns[c];
      } else {
        second += "CAST(" + b.columns[c] + (a.widths[c] == 0 ? " AS INTEGER)" : " AS TEXT)");
      }
    }
    std::string operation = node.kind == NodeKind::unionOp   ? "UNION"
                            : node.kind == NodeKind::minusOp ? "EXCEPT"
                                                             : "INTERSECT";
    return numbered(self, "SELECT " + columnList(a, self, 0) + " FROM " + a.name + "\n      " + operation +
                              "\n      SELECT " + second + " FROM " + b.name);
  }

  // The positions of the columns that the operands' names share, pairwise,
  // and of the second's columns that the first lacks.
  struct Shared {
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    std::vector<std::size_t> onlyInSecond;
    std::vector<std::size_t> onlyInFirst;
  };
  static Shared sharedColumns(const TraceStep &step) {
    Shared shared;
    const std::vector<TraceColumn> &first = step.operands[0].relation.columns;
    const std::vector<TraceColumn> &second = step.operands[1].relation.columns;
    std::vector<bool> inSecond(first.size(), false);
    for (std::size_t j = 0; j < second.size(); ++j) {
      auto found =
          std::find_if(first.begin(), first.end(), [&](const TraceColumn &c) { return c.name == second[j].name; });
      if (found == first.end()) {
        shared.onlyInSecond.push_back(j);
      } else {
        auto i = static_cast<std::size_t>(found - first.begin());
        inSecond[i] = true;
        shared.pairs.emplace_back(i, j);
      }
    }
    for (std::size_t i = 0; i < first.size(); ++i) {
      if (!inSecond[i]) {
        shared.onlyInFirst.push_back(i);
      }
    }
    return shared;
  }

  static std::string matchText(const Shared &shared, const SqlRelation &a, const std::string &left,
                               const SqlRelation &b, const std::string &right) {
    std::string text;
    for (auto [i, j] : shared.pairs) {
      text += text.empty() ? "" : " AND ";
      text += left;
      text += a.columns[i];
      text += " = ";
      text += right;
      text += b.columns[j];
    }
    return text;
  }

  // The shared columns go by the same alias on both sides, and nothing else
  // does, so that NATURAL JOIN pairs exactly them.
  std::string naturalJoinBody(const TraceStep &step, const SqlRelation &a, const SqlRelation &b,
                              const SqlRelation &self) {
    Shared shared = sharedColumns(step);
    std::vector<std::string> aliasA(a.columns.size());
    std::vector<std::string> aliasB(b.columns.size());
    std::string keys;
    for (std::size_t k = 0; k < shared.pairs.size(); ++k) {
      aliasA[shared.pairs[k].first] = aliasB[shared.pairs[k].second] = identifier("k" + std::to_string(k + 1));
      keys += (k > 0 ? ", " : "") + step.operands[0].relation.columns[shared.pairs[k].first].name;
    }
    std::string left;
    std::string right;
    for (std::size_t i = 0; i < a.columns.size(); ++i) {
      aliasA[i] = aliasA[i].empty() ? identifier("a" + std::to_string(i + 1)) : aliasA[i];
      left += a.columns[i] + " AS " + aliasA[i] + ", ";
    }
    for (std::size_t j = 0; j < b.columns.size(); ++j) {
      aliasB[j] = aliasB[j].empty() ? identifier("b" + std::to_string(j + 1)) : aliasB[j];
      right += b.columns[j] + " AS " + aliasB[j] + ", ";
    }
    std::string list;
    std::size_t c = 0;
    for (const std::string &alias : aliasA) {
      list += (c > 0 ? ", " : "") + aliased(alias, self.columns[c]);
      ++c;
    }
    for (std::size_t j : shared.onlyInSecond) {
      list += (c > 0 ? ", " : "") + aliased(aliasB[j], self.columns[c]);
      ++c;
    }
    return "    -- the join keys: " + commentText(keys.empty() ? "none, a product" : keys) + "\n    SELECT " + list +
           ",\n      ROW_NUMBER() OVER (ORDER BY \"lp\", \"rp\") AS " + names_.position() + "\n    FROM (SELECT " +
           left + names_.position() + " AS \"lp\" FROM " + a.name + ") AS \"l\"\n      NATURAL JOIN (SELECT " + right +
           names_.position() + " AS \"rp\" FROM " + b.name + ") AS \"r\"\n  ";
  }

  std::string conditionJoinBody(const TraceStep &step, const CommandNode &node, const SqlRelation &a,
                                const SqlRelation &b, const SqlRelation &self) {
    SqlRelation both;
    for (const std::string &c : a.columns) {
      both.columns.push_back("\"l\"." + c);
    }
    for (const std::string &c : b.columns) {
      both.columns.push_back("\"r\"." + c);
    }
    std::string condition = conditionText(step, e_.command.findNode(operandId(node, 3)), both);
    std::string list = columnList(a, self, 0, "\"l\".");
    std::string second = columnList(b, self, a.columns.size(), "\"r\".");
    list += (!list.empty() && !second.empty() ? ", " : "") + second;
    return "    SELECT " + list + ",\n      ROW_NUMBER() OVER (ORDER BY \"l\"." + names_.position() + ", \"r\"." +
           names_.position() + ") AS " + names_.position() + "\n    FROM " + a.name + " AS \"l\" JOIN " + b.name +
           " AS \"r\" ON " + condition + "\n  ";
  }

  std::string semijoinBody(const TraceStep &step, const CommandNode &node, const SqlRelation &a, const SqlRelation &b,
                           const SqlRelation &self) {
    Shared shared = sharedColumns(step);
    std::string match = matchText(shared, a, "\"l\".", b, "\"r\".");
    std::string exists = std::string(node.kind == NodeKind::antijoinOp ? "NOT EXISTS" : "EXISTS") + " (SELECT 1 FROM " +
                         b.name + " AS \"r\"" + (match.empty() ? "" : " WHERE " + match) + ")";
    return "    SELECT " + columnList(a, self, 0, "\"l\".") + ", \"l\"." + names_.position() + " FROM " + a.name +
           " AS \"l\"\n    WHERE " + exists + "\n  ";
  }

  // R's rows for which no row of S lacks a row of R with both.
  std::string divideBody(const TraceStep &step, const SqlRelation &a, const SqlRelation &b, const SqlRelation &self) {
    Shared shared = sharedColumns(step);
    std::string list;
    std::string same;
    for (std::size_t k = 0; k < shared.onlyInFirst.size(); ++k) {
      std::size_t i = shared.onlyInFirst[k];
      list += (k > 0 ? ", " : "") + aliased("\"l\"." + a.columns[i], self.columns[k]);
      same += (k > 0 ? " AND " : "") + std::string("\"m\".") + a.columns[i] + " = \"l\"." + a.columns[i];
    }
    std::string match = matchText(shared, a, "\"m\".", b, "\"s\".");
    return numbered(self, "SELECT DISTINCT " + list + " FROM " + a.name +
                              " AS \"l\"\n      WHERE NOT EXISTS (SELECT 1 FROM " + b.name +
                              " AS \"s\" WHERE NOT EXISTS (SELECT 1 FROM " + a.name + " AS \"m\" WHERE " + same +
                              (match.empty() ? "" : " AND " + match) + "))");
  }

  std::string projectBody(const TraceStep &step, const CommandNode &node, const SqlRelation &a,
                          const SqlRelation &self) {
    const std::vector<TraceColumn> &seen = step.operands[0].relation.columns;
    std::string list;
    std::size_t found = 0;
    for (const ArgLink &link : node.moreArgs) {
      const CommandNode *name = e_.command.findNode(link.id);
      auto match = name == nullptr ? seen.end() : std::find_if(seen.begin(), seen.end(), [&](const TraceColumn &c) {
        return namesColumn(seen, c, name->text);
      });
      if (match != seen.end()) {
        assert(found < self.columns.size());
        std::size_t c = static_cast<std::size_t>(match - seen.begin());
        list += (found > 0 ? ", " : "") + aliased(a.columns[c], self.columns[found]);
        ++found;
      }
    }
    assert(found == self.columns.size());
    return numbered(self, "SELECT DISTINCT " + list + " FROM " + a.name);
  }

  std::string selectBody(const TraceStep &step, const CommandNode &node, const SqlRelation &a,
                         const SqlRelation &self) {
    std::string condition = conditionText(step, e_.command.findNode(secondArg(node)), a);
    return "    SELECT " + columnList(a, self, 0) + ", " + names_.position() + " FROM " + a.name + "\n    WHERE " +
           condition + "\n  ";
  }

  // A piece of a condition still to write: a node, or text (node null).
  struct ConditionItem {
    const CommandNode *node;
    std::string text;
  };

  const CommandNode *conditionOperand(const CommandNode &n, int position) const {
    int id = operandId(n, position);
    return id > 0 ? e_.command.findNode(id) : nullptr;
  }

  // A chain of NOTs is written as its parity: SQL engines limit nesting.
  void expandNot(const CommandNode *n, std::vector<ConditionItem> &todo) {
    bool negated = false;
    while (n != nullptr && n->kind == NodeKind::notOp) {
      negated = !negated;
      n = conditionOperand(*n, 1);
    }
    if (n == nullptr) {
      broken_ = "a NOT lacks its operand.";
    } else if (negated) {
      todo.push_back({nullptr, ")"});
      todo.push_back({n, {}});
      todo.push_back({nullptr, "NOT ("});
    } else {
      todo.push_back({n, {}});
    }
  }

  void expandAndOr(const CommandNode &n, std::vector<ConditionItem> &todo) {
    const CommandNode *p = conditionOperand(n, 1);
    const CommandNode *q = conditionOperand(n, 2);
    if (p == nullptr || q == nullptr) {
      broken_ = "a condition lacks an operand.";
    } else if (p == q) {
      todo.push_back({p, {}}); // p AND p is p, and so is p OR p
    } else {
      todo.push_back({nullptr, ")"});
      todo.push_back({q, {}});
      todo.push_back({nullptr, n.kind == NodeKind::andOp ? " AND " : " OR "});
      todo.push_back({p, {}});
      todo.push_back({nullptr, "("});
    }
  }

  // The condition as an SQL expression over a's columns, which the select's
  // result names as the condition saw them. An explicit stack: a condition
  // may nest deeper than the call stack reaches.
  std::string conditionText(const TraceStep &step, const CommandNode *root, const SqlRelation &a) {
    std::vector<ConditionItem> todo{{root, {}}};
    std::string out;
    std::size_t terms = 0;
    bool yieldsNothing = false;
    while (!todo.empty() && broken_.empty()) {
      ConditionItem item = std::move(todo.back());
      todo.pop_back();
      if (item.node == nullptr) {
        out += item.text;
      } else if (++terms > conditionTermLimit) {
        broken_ = "the condition of node " + std::to_string(step.nodeId) + " is too large to write out.";
      } else if (const CommandNode &n = *item.node; n.kind == NodeKind::notOp) {
        expandNot(&n, todo);
      } else if (n.kind == NodeKind::andOp || n.kind == NodeKind::orOp) {
        expandAndOr(n, todo);
      } else if (isComparison(n.kind)) {
        out += comparison(step, n, conditionOperand(n, 1), conditionOperand(n, 2), a);
      } else if (n.kind == NodeKind::literal || n.kind == NodeKind::name) {
        broken_ = "a condition is a column or a literal.";
      } else {
        // A word that is no condition yields no truth value for any row, and
        // so nothing above it does.
        yieldsNothing = true;
        out += "1 = 0";
      }
    }
    return yieldsNothing ? "1 = 0" : out;
  }

  std::string comparison(const TraceStep &step, const CommandNode &n, const CommandNode *left, const CommandNode *right,
                         const SqlRelation &a) {
    if (left == nullptr || right == nullptr) {
      broken_ = "a comparison lacks an operand.";
      return {};
    }
    const std::vector<TraceColumn> &columns = step.result.columns;
    auto columnOf = [&](const CommandNode &side) -> std::optional<std::size_t> {
      if (side.kind == NodeKind::literal) {
        return std::nullopt;
      }
      auto found = std::find_if(columns.begin(), columns.end(),
                                [&](const TraceColumn &c) { return namesColumn(columns, c, side.text); });
      if (found == columns.end()) {
        broken_ = "a condition names a column that its relation lacks.";
        return std::nullopt;
      }
      return static_cast<std::size_t>(found - columns.begin());
    };
    std::optional<std::size_t> l = columnOf(*left);
    std::optional<std::size_t> r = columnOf(*right);
    if (!broken_.empty() || (l && *l >= a.columns.size()) || (r && *r >= a.columns.size())) {
      return {};
    }
    bool numeric = (l && columns[*l].width == 0) || (r && columns[*r].width == 0);
    auto side = [&](const CommandNode &operand, std::optional<std::size_t> column) {
      if (!column) {
        return numeric ? intText(operand.text) : textLiteral(operand.text);
      }
      return numeric && columns[*column].width != 0 ? asInt32(a.columns[*column]) : a.columns[*column];
    };
    static const std::map<NodeKind, std::string> operators{{NodeKind::eq, " = "}, {NodeKind::neq, " <> "},
                                                           {NodeKind::lt, " < "}, {NodeKind::lte, " <= "},
                                                           {NodeKind::gt, " > "}, {NodeKind::gte, " >= "}};
    return side(*left, l) + operators.at(n.kind) + side(*right, r);
  }

  const Explained &e_;
  std::ostream &out_;
  SqlNames names_;
  std::map<std::size_t, SqlRelation> tables_; // by place in the input
  std::unordered_map<int, SqlRelation> ctes_; // by node id
  std::vector<std::string> warnings_;
  std::string broken_; // why no query can be written, when that is so
};

} // namespace

void writeExplainSql(const Explained &explained, std::ostream &out) { SqlWriter(explained, out).run(); }
