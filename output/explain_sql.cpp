// The SQL form of an explanation: a script that creates and fills each
// relation of the input that the command read, then one query that returns
// the command's result rows in tabulon's order. Every relation carries its
// row order in a column of its own, so that product and select keep their
// operands' order; union, minus and project are set operations numbered in
// ascending row order.
#include "exec/rows.h"
#include "output/explain.h"
#include "output/explain_nodes.h"
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

std::string identifier(std::string_view name) {
  std::string text = "\"";
  for (char ch : name) {
    text += ch == '"' ? "\"\"" : std::string(1, ch);
  }
  return text + "\"";
}

std::string textLiteral(std::string_view value) {
  std::string text = "'";
  for (char ch : value) {
    text += ch == '\'' ? "''" : std::string(1, ch);
  }
  return text + "'";
}

// SQLite folds the ASCII letters of identifiers, quoted ones too.
std::string folded(std::string_view name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; });
  return key;
}

// A text for a "--" comment, which ends at a line end: control bytes and bytes
// that are no UTF-8 shown as \xNN.
std::string commentText(std::string_view text) {
  std::string out;
  forEachCharacter(text, [&](std::string_view c, bool printable) {
    out += printable ? std::string(c) : hexEscape("\\x", c[0]);
    return true;
  });
  return out;
}

// A name or text that the script cannot carry as it is. A NUL: neither engine
// can hold one, and SQLite's shell ends the line there, so that what follows
// would run as SQL and as its dot-commands. A CR before an LF: that shell
// drops it. Every other byte reads back unchanged in both (checked for each
// control byte, inside literals and quoted names alike).
// what names the text, within the relation named, if any.
void refuseUnsayable(std::string_view text, const char *what, const std::string *relation = nullptr) {
  bool nul = text.find('\0') != std::string_view::npos;
  if (!nul && text.find("\r\n") == std::string_view::npos) {
    return;
  }
  std::string whose = relation != nullptr ? "a(z) " + shownName(*relation) + " relacio " + what : what;
  throw ExplainRefused(whose + (nul ? " NUL byte-ot tartalmaz, amit az SQL nem tud tarolni"
                                    : " CR LF sorveget tartalmaz, amit az sqlite3 nem ad vissza valtozatlanul"));
}

std::string sqlType(std::int32_t width) { return width == 0 ? "INTEGER" : "TEXT"; }

std::string intText(std::string_view value) { return std::to_string(toInt32(value)); }

// A relation as the query reaches it: a table of the script or a named
// subquery of its WITH clause.
struct SqlRelation {
  std::string name;                 // quoted
  std::vector<std::string> columns; // quoted, distinct once folded
  std::vector<std::int32_t> widths;
  bool ordered = true; // ascending, no repeated rows: what union and minus need
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
        refuseUnsayable(c.name, "egy eredmeny oszlopneve");
        names.insert(folded(c.name));
      }
    }
    for (std::size_t index : used) {
      const TraceRelation &input = e_.trace.inputs()[index];
      refuseUnsayable(input.name, "egy relacio neve");
      for (const TraceColumn &c : input.columns) {
        refuseUnsayable(c.name, "egy oszlopneve", &input.name);
        names.insert(folded(c.name));
      }
    }
    while (names.contains(folded(pos_))) {
      pos_ += "_";
    }
    for (std::size_t index : used) {
      const TraceRelation &input = e_.trace.inputs()[index];
      SqlRelation relation;
      relation.name = identifier(uniqueName(input.name.empty() ? "relation" : input.name, relationNames_));
      relation.columns = columnNames(input.columns);
      for (const TraceColumn &c : input.columns) {
        relation.widths.push_back(c.width);
      }
      relation.ordered = checkInput(index, input);
      tables_.emplace(index, std::move(relation));
    }
  }

  static std::string uniqueName(const std::string &wanted, std::set<std::string> &taken) {
    std::string name = wanted;
    while (!taken.insert(folded(name)).second) {
      name += "_";
    }
    return name;
  }

  // Names for one relation's columns that SQL can tell apart.
  std::vector<std::string> columnNames(const std::vector<TraceColumn> &columns) const {
    std::set<std::string> taken{folded(pos_)};
    std::vector<std::string> names;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      std::string wanted = columns[i].name.empty() ? "column" : columns[i].name;
      if (taken.contains(folded(wanted))) {
        wanted += "_" + std::to_string(i + 1);
      }
      names.push_back(identifier(uniqueName(wanted, taken)));
    }
    return names;
  }

  // Whether the input relation is in ascending order without repeats, and
  // what in its values SQL cannot say as tabulon does.
  bool checkInput(std::size_t index, const TraceRelation &input) {
    const Table &table = *e_.db.tables[index];
    RowCursor previous(table);
    RowCursor row(table);
    bool ordered = true;
    bool plainInts = true;
    for (bool first = true; !row.exhausted(); row.advance()) {
      for (std::size_t c = 0; c < row.columns.size(); ++c) {
        std::string_view value = row.row < row.columns[c]->size() ? row.value(c) : std::string_view{};
        plainInts = plainInts && (row.widths[c] != 0 || intText(value) == value);
        if (row.widths[c] != 0) {
          refuseUnsayable(value, "egy erteke", &input.name);
        }
      }
      if (!first) {
        ordered = ordered && compareRows(previous, row) < 0;
        previous.advance();
      }
      first = false;
    }
    if (!plainInts) {
      warnings_.push_back("relation " + input.name +
                          " holds int values that are not plain numbers; they are written as the numbers tabulon "
                          "compares them as, which its output does not show.");
    }
    return ordered;
  }

  void writeTable(std::size_t index, const SqlRelation &relation) {
    std::string columns;
    std::string definition;
    for (std::size_t c = 0; c < relation.columns.size(); ++c) {
      columns += relation.columns[c] + ", ";
      definition += relation.columns[c] + " " + sqlType(relation.widths[c]) + ", ";
    }
    columns += identifier(pos_);
    out_ << "\nCREATE TABLE " << relation.name << " (" << definition << identifier(pos_) << " INTEGER);\n";
    std::string buf;
    RowCursor row(*e_.db.tables[index]);
    for (std::size_t n = 1; !row.exhausted(); row.advance(), ++n) {
      buf += n % rowsPerInsert == 1 ? "INSERT INTO " + relation.name + " (" + columns + ") VALUES\n  (" : ",\n  (";
      for (std::size_t c = 0; c < row.columns.size(); ++c) {
        std::string_view value = row.row < row.columns[c]->size() ? row.value(c) : std::string_view{};
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
      select = identifier(pos_); // SQL cannot select no column; the relation has no rows
    }
    return with + "\nSELECT " + select + " FROM " + result.name + " ORDER BY " + identifier(pos_) + ";\n";
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
    self.name =
        identifier(uniqueName(std::string(kindWord(node.kind)) + "_" + std::to_string(node.id), relationNames_));
    self.columns = columnNames(step.result.columns);
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
      body = "    SELECT " + identifier(pos_) + " FROM " + a.name + " WHERE 1 = 0\n  "; // no columns, no rows
    } else if (node.kind == NodeKind::selectOp) {
      assert(a.columns.size() == self.columns.size());
      body = selectBody(step, node, a, self);
      self.ordered = a.ordered;
    } else if (node.kind == NodeKind::renameOp) {
      assert(a.columns.size() == self.columns.size());
      body = "    SELECT " + columnList(a, self, 0) + ", " + identifier(pos_) + " FROM " + a.name + "\n  ";
      self.ordered = a.ordered;
    } else if (node.kind == NodeKind::productOp) {
      body = productBody(*from[0], *from[1], self);
      self.ordered = from[0]->ordered && from[1]->ordered;
    } else if (node.kind == NodeKind::projectOp) {
      body = projectBody(step, node, a, self);
    } else {
      body = mergeBody(node, *from[0], *from[1], self);
      self.ordered = from[0]->ordered && from[1]->ordered && from[0]->widths == from[1]->widths;
    }
    ctes_.emplace(step.nodeId, std::move(self));
    return body;
  }

  // source's columns from the first on, named as self's.
  std::string columnList(const SqlRelation &source, const SqlRelation &self, std::size_t first,
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
    return "    SELECT " + columns + ", ROW_NUMBER() OVER (ORDER BY " + columns + ") AS " + identifier(pos_) +
           "\n    FROM (" + from + ") AS \"rows\"\n  ";
  }

  std::string productBody(const SqlRelation &a, const SqlRelation &b, const SqlRelation &self) {
    std::string list = columnList(a, self, 0, "\"l\".");
    std::string second = columnList(b, self, a.columns.size(), "\"r\".");
    list += (!list.empty() && !second.empty() ? ", " : "") + second;
    return "    SELECT " + list + ",\n      ROW_NUMBER() OVER (ORDER BY \"l\"." + identifier(pos_) + ", \"r\"." +
           identifier(pos_) + ") AS " + identifier(pos_) + "\n    FROM " + a.name + " AS \"l\" CROSS JOIN " + b.name +
           " AS \"r\"\n  ";
  }

  std::string mergeBody(const CommandNode &node, const SqlRelation &a, const SqlRelation &b, const SqlRelation &self) {
    assert(a.columns.size() == b.columns.size() && "the executor refuses operands that differ");
    std::string place = node.text + " " + std::to_string(node.line) + ":" + std::to_string(node.column);
    if (a.widths != b.widths) {
      warnings_.push_back(place + ": the operands' column types differ; tabulon compares by the first operand's.");
    }
    for (const SqlRelation *operand : {&a, &b}) {
      if (!operand->ordered) {
        warnings_.push_back(place + ": an operand is not in ascending order without repeated rows, which tabulon's "
                                    "merge needs to compute the set operation that SQL does.");
        break;
      }
    }
    std::string second;
    for (std::size_t c = 0; c < b.columns.size(); ++c) {
      second += c > 0 ? ", " : "";
      if ((b.widths[c] == 0) == (a.widths[c] == 0)) {
        second += b.columns[c];
      } else {
        second += "CAST(" + b.columns[c] + (a.widths[c] == 0 ? " AS INTEGER)" : " AS TEXT)");
      }
    }
    std::string operation = node.kind == NodeKind::unionOp ? "UNION" : "EXCEPT";
    return numbered(self, "SELECT " + columnList(a, self, 0) + " FROM " + a.name + "\n      " + operation +
                              "\n      SELECT " + second + " FROM " + b.name);
  }

  std::string projectBody(const TraceStep &step, const CommandNode &node, const SqlRelation &a,
                          const SqlRelation &self) {
    const std::vector<TraceColumn> &seen = step.operands[0].relation.columns;
    std::string list;
    std::size_t found = 0;
    for (const ArgLink &link : node.moreArgs) {
      const CommandNode *name = e_.command.findNode(link.id);
      auto match = name == nullptr ? seen.end() : std::find_if(seen.begin(), seen.end(), [&](const TraceColumn &c) {
        return c.name == name->text;
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
    return "    SELECT " + columnList(a, self, 0) + ", " + identifier(pos_) + " FROM " + a.name + "\n    WHERE " +
           condition + "\n  ";
  }

  // The condition as an SQL expression over a's columns, which the select's
  // result names as the condition saw them.
  std::string conditionText(const TraceStep &step, const CommandNode *root, const SqlRelation &a) {
    struct Item {
      const CommandNode *node;
      std::string text;
    };
    std::vector<Item> todo{{root, {}}};
    std::string out;
    std::size_t terms = 0;
    bool yieldsNothing = false;
    auto operand = [&](const CommandNode &n, int position) {
      int id = operandId(n, position);
      return id > 0 ? e_.command.findNode(id) : nullptr;
    };
    while (!todo.empty() && broken_.empty()) {
      Item item = std::move(todo.back());
      todo.pop_back();
      if (item.node == nullptr) {
        out += item.text;
        continue;
      }
      if (++terms > conditionTermLimit) {
        broken_ = "the condition of node " + std::to_string(step.nodeId) + " is too large to write out.";
        break;
      }
      const CommandNode *n = item.node;
      if (n->kind == NodeKind::notOp) {
        // A chain of NOTs is written as its parity: SQL engines limit nesting.
        bool negated = false;
        while (n != nullptr && n->kind == NodeKind::notOp) {
          negated = !negated;
          n = operand(*n, 1);
        }
        if (n == nullptr) {
          broken_ = "a NOT lacks its operand.";
          break;
        }
        if (negated) {
          todo.push_back({nullptr, ")"});
          todo.push_back({n, {}});
          todo.push_back({nullptr, "NOT ("});
        } else {
          todo.push_back({n, {}});
        }
      } else if (n->kind == NodeKind::andOp || n->kind == NodeKind::orOp) {
        const CommandNode *p = operand(*n, 1);
        const CommandNode *q = operand(*n, 2);
        if (p == nullptr || q == nullptr) {
          broken_ = "a condition lacks an operand.";
        } else if (p == q) {
          todo.push_back({p, {}}); // p AND p is p, and so is p OR p
        } else {
          todo.push_back({nullptr, ")"});
          todo.push_back({q, {}});
          todo.push_back({nullptr, n->kind == NodeKind::andOp ? " AND " : " OR "});
          todo.push_back({p, {}});
          todo.push_back({nullptr, "("});
        }
      } else if (isComparison(n->kind)) {
        out += comparison(step, *n, operand(*n, 1), operand(*n, 2), a);
      } else if (n->kind == NodeKind::literal || n->kind == NodeKind::name) {
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
      auto found =
          std::find_if(columns.begin(), columns.end(), [&](const TraceColumn &c) { return c.name == side.text; });
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
      return numeric && columns[*column].width != 0 ? "CAST(" + a.columns[*column] + " AS INTEGER)"
                                                    : a.columns[*column];
    };
    static const std::map<NodeKind, std::string> operators{{NodeKind::eq, " = "}, {NodeKind::neq, " <> "},
                                                           {NodeKind::lt, " < "}, {NodeKind::lte, " <= "},
                                                           {NodeKind::gt, " > "}, {NodeKind::gte, " >= "}};
    return side(*left, l) + operators.at(n.kind) + side(*right, r);
  }

  const Explained &e_;
  std::ostream &out_;
  std::string pos_ = "pos";
  std::set<std::string> relationNames_;
  std::map<std::size_t, SqlRelation> tables_; // by place in the input
  std::unordered_map<int, SqlRelation> ctes_; // by node id
  std::vector<std::string> warnings_;
  std::string broken_; // why no query can be written, when that is so
};

} // namespace

void writeExplainSql(const Explained &explained, std::ostream &out) { SqlWriter(explained, out).run(); }
