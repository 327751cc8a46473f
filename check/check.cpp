// The check walks the command in evaluation order, as the executor does, but
// over schemas: copies of the relations' columns without rows, renamed and
// combined as the operators would. A node whose check failed has no schema;
// what reads it is not checked further, so that one mistake gives one error.
// Schemas that no operator will read again are freed, as results are, so a
// command nesting a million operators holds few at a time.
#include "check/check.h"
#include "diag/shown.h"

#include "check/columns.h"
#include "check/misplaced_word.h"
#include "diag/lookalike.h"
#include "diag/messages.h"
#include "diag/near_name.h"
#include "store/error.h"
#include "store/int_value.h"

#include <algorithm>
#include <cassert>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// operand: source is an operand of product or join, whose columns answer
// to its name only when it is a named relation.
void copySchema(Table &target, const Table &source, bool operand = false) {
  Column *last = target.schema;
  while (last->next != nullptr) {
    last = last->next;
  }
  for (const Column *c = firstColumn(source); c != nullptr; c = c->next) {
    last = linkColumn(last, createColumn(target, c->name, c->width));
    last->qualifier = operand ? operandQualifier(source) : qualifierOf(source, *c);
  }
}

class Checker {
public:
  Checker(const Database &db, Command &command)
      : command_(command), schemas_(command.nodes.size()), checked_(command.nodes.size()),
        readers_(command.nodes.size()) {
    for (const auto &table : db.tables) {
      auto copy = std::make_unique<Table>(table->name);
      copySchema(*copy, *table);
      shadow_.tables.push_back(std::move(copy));
    }
    for (const CommandNode &node : command.nodes) {
      for (int position = 1; position <= factsOf(node.kind).relationOperands; ++position) {
        int id = operandId(node, position);
        if (id > 0 && static_cast<std::size_t>(id) < readers_.size()) {
          ++readers_[static_cast<std::size_t>(id)];
        }
      }
    }
  }

  void run() {
    const CommandNode *root = command_.root();
    if (root != nullptr && !isRelational(root->kind)) {
      command_.addError(notAnOperator(*root, command_.extended));
      return;
    }
    CommandNode *head = command_.head();
    for (CommandNode *node = head->prev; node != nullptr && node != head; node = node->prev) {
      if (!isRelational(node->kind)) {
        continue; // conditions, literals and names are checked by their users
      }
      reads_.clear();
      current_ = node->id;
      Table *schema = check(*node);
      auto id = static_cast<std::size_t>(node->id);
      schemas_[id] = schema;
      checked_[id] = true;
      if (schema != nullptr) {
        pending_[schema] += readers_[id];
      }
      for (Table *read : reads_) {
        if (--pending_[read] <= 0) {
          pending_.erase(read);
          shadow_.releaseResult(*read);
        }
      }
    }
  }

private:
  // The schema that node stands for, or nullptr when a mistake was noted in
  // it or in what it reads.
  Table *check(CommandNode &node) {
    switch (node.kind) {
    case NodeKind::unionOp:
    case NodeKind::minusOp:
      return checkMerge(node);
    case NodeKind::productOp:
      return checkProduct(node);
    case NodeKind::projectOp:
      return checkProject(node);
    case NodeKind::renameOp:
      return checkRename(node);
    case NodeKind::selectOp:
      return checkSelect(node);
    case NodeKind::intersectOp:
      return checkMerge(node);
    case NodeKind::joinOp:
    case NodeKind::semijoinOp:
    case NodeKind::antijoinOp:
      return checkJoin(node);
    case NodeKind::divideOp:
      return checkDivide(node);
    default:
      throw InternalError("no check for " + std::string(factsOf(node.kind).word));
    }
  }

  void note(const InputError &e) {
    std::size_t known = command_.errors.size();
    command_.addError(e);
    if (command_.errors.size() > known) {
      command_.errors.back().node = current_;
    }
  }

  // The operand at position, or nullptr with the error noted.
  const CommandNode *operandAt(const CommandNode &op, int position, bool condition = false) {
    int id = operandId(op, position);
    const CommandNode *node = id > 0 ? command_.findNode(id) : nullptr;
    if (node == nullptr) {
      note({msg::operandMissing(op.text, position, condition), op.line, op.column});
    }
    return node;
  }

  // The schema of a relation operand; nullptr when it is none (noted) or
  // depends on a mistake noted before.
  Table *relationAt(const CommandNode &op, int position) {
    const CommandNode *node = operandAt(op, position);
    if (node == nullptr) {
      return nullptr;
    }
    if (node->kind == NodeKind::name) {
      Table *table = shadow_.findTable(node->text);
      if (table == nullptr) {
        noteMissingRelation(*node);
      }
      return table;
    }
    if (node->kind == NodeKind::otherWord && !node->text.empty()) {
      note(notAnOperator(*node, command_.extended));
      return nullptr;
    }
    if (!isRelational(node->kind)) {
      note({msg::operandNotRelation(op.text, position), node->line, node->column});
      return nullptr;
    }
    auto id = static_cast<std::size_t>(node->id);
    // An operand node shared by two operators can stand after one of them.
    if (!checked_[id]) {
      note({msg::operandNotReady(op.text, position), node->line, node->column});
      return nullptr;
    }
    if (schemas_[id] != nullptr) {
      reads_.push_back(schemas_[id]);
    }
    return schemas_[id];
  }

  // Where the file shows why the relation is missing, the error points
  // there; otherwise at the name, with the nearest relation name of the file.
  void noteMissingRelation(const CommandNode &node) {
    for (const LostRelation &lost : command_.lost) {
      if (lost.name == node.text) {
        if (!lost.reported) {
          note({lost.message, lost.line, lost.column});
        }
        return;
      }
    }
    if (auto away = renamedAway_.find(node.text); away != renamedAway_.end()) {
      const CommandNode &rename = *away->second.rename;
      note({msg::relationMissing(node.text, msg::hintRenamedAway(rename.line, rename.column, away->second.to)),
            node.line, node.column});
      return;
    }
    std::vector<std::string_view> names;
    for (const auto &t : shadow_.tables) {
      names.emplace_back(t->name);
    }
    note({msg::relationMissing(node.text, suggestion(node.text, names)), node.line, node.column});
  }

  Table &newResult() { return shadow_.adoptResult(std::make_unique<Table>("__!!temp")); }

  Table *checkMerge(const CommandNode &node) {
    Table *a = relationAt(node, 1);
    Table *b = relationAt(node, 2);
    if (a == nullptr || b == nullptr) {
      return nullptr;
    }
    std::size_t na = columnCount(*a);
    std::size_t nb = columnCount(*b);
    if (na != nb) {
      note({msg::columnCountsDiffer(node.text, na, nb), node.line, node.column});
      return nullptr;
    }
    // Merged under A's header, a char value would be written as an int.
    int position = 1;
    for (const Column *ca = firstColumn(*a), *cb = firstColumn(*b); ca != nullptr; ca = ca->next, cb = cb->next) {
      if ((ca->width == 0) != (cb->width == 0)) {
        note({msg::columnTypesDiffer(node.text, position, typeText(ca->width), typeText(cb->width)), node.line,
              node.column});
        return nullptr;
      }
      ++position;
    }
    Table &result = newResult();
    copySchema(result, *a);
    return &result;
  }

  Table *checkProduct(const CommandNode &node) {
    Table *a = relationAt(node, 1);
    Table *b = relationAt(node, 2);
    if (a == nullptr || b == nullptr) {
      return nullptr;
    }
    Table &result = newResult();
    copySchema(result, *a, true);
    copySchema(result, *b, true);
    return &result;
  }

  Table *checkProject(const CommandNode &node) {
    Table *r = relationAt(node, 1);
    if (node.moreArgs.empty()) {
      note({msg::operandMissing(node.text, 2, false), node.line, node.column});
      return nullptr;
    }
    if (r == nullptr) {
      return nullptr;
    }
    ColumnIndex columns(*r, command_.extended);
    std::vector<std::pair<const Column *, std::string_view>> sources; // with its qualifier
    std::unordered_set<const Column *> seen;
    const CommandNode *firstRepeat = nullptr;
    std::size_t repeats = 0;
    bool found = true;
    for (int position = 2; position <= static_cast<int>(node.moreArgs.size()) + 1; ++position) {
      const CommandNode *name = operandAt(node, position);
      if (name == nullptr) {
        found = false;
        continue;
      }
      warnIfQuoted(*name);
      try {
        const Column &column = columns.find(*name);
        sources.emplace_back(&column, qualifierOf(*r, column));
      } catch (const InputError &e) {
        note(e);
        found = false;
        continue;
      }
      if (!seen.insert(sources.back().first).second && repeats++ == 0) {
        firstRepeat = name;
      }
    }
    if (firstRepeat != nullptr) {
      // One line for the whole list, which may repeat a column a million times.
      warnOnce("project repeat",
               {msg::projectRepeat(firstRepeat->text, repeats - 1), firstRepeat->line, firstRepeat->column});
    }
    if (!found) {
      return nullptr;
    }
    Table &result = newResult();
    Column *last = result.schema;
    for (auto [c, qualifier] : sources) {
      last = linkColumn(last, createColumn(result, c->name, c->width));
      last->qualifier = qualifier;
    }
    return &result;
  }

  Table *checkRename(const CommandNode &node) {
    Table *r = relationAt(node, 1);
    const CommandNode *target = operandAt(node, 2);
    if (target == nullptr) {
      return nullptr;
    }
    if ((target->kind != NodeKind::otherWord && target->kind != NodeKind::name) || target->text.empty()) {
      note({msg::renameTargetNotName(node.text), target->line, target->column});
      return nullptr;
    }
    if (r == nullptr) {
      return nullptr;
    }
    if (Table *other = shadow_.findTable(target->text); other != nullptr && other != r) {
      warnOnce("rename to an existing name", {msg::renameToExisting(target->text), target->line, target->column});
    }
    if (r->name != target->text) {
      renamedAway_.insert_or_assign(r->name, RenamedAway{&node, target->text});
    }
    shadow_.renameTable(*r, target->text);
    if (target->kind == NodeKind::name) {
      return r; // no column list: the relation's name alone changes
    }
    // The new column names: the target's first operand, then its moreArgs.
    std::vector<const CommandNode *> names;
    for (int position = 1; const CommandNode *name = command_.findNode(operandId(*target, position)); ++position) {
      if (name == command_.head()) {
        break;
      }
      names.push_back(name);
    }
    warnAboutNames(*target, *r, names);
    Column *c = firstColumn(*r);
    for (std::size_t i = 0; c != nullptr && i < names.size(); ++i, c = c->next) {
      c->name = names[i]->text;
    }
    return r;
  }

  // A list that does not match the relation still renames what it can, as it
  // always has; the user hears of the names left out or left over.
  void warnAboutNames(const CommandNode &target, const Table &r, const std::vector<const CommandNode *> &names) {
    std::size_t columns = columnCount(r);
    if (names.size() > columns) {
      const CommandNode &extra = *names[columns];
      warnOnce("rename surplus",
               {msg::renameSurplus(target.text, names.size(), columns, extra.text), extra.line, extra.column});
    } else if (!names.empty() && names.size() < columns) {
      warnOnce("rename short", {msg::renameShort(target.text, names.size(), columns), target.line, target.column});
    }
    std::unordered_set<std::string_view> seen;
    for (std::size_t i = 0; i < names.size() && i < columns; ++i) {
      warnIfQuoted(*names[i]);
      if (!seen.insert(names[i]->text).second) {
        warnOnce("rename repeat", {msg::renameRepeat(names[i]->text), names[i]->line, names[i]->column});
      }
    }
  }

  Table *checkSelect(const CommandNode &node) {
    Table *r = relationAt(node, 1);
    const CommandNode *condition = operandAt(node, 2);
    if (r == nullptr || condition == nullptr) {
      return nullptr;
    }
    if (firstColumn(*r) != nullptr) {
      // Without columns there are no rows: no condition is ever asked.
      checkCondition(*r, *condition);
    }
    // The result's columns are r's whatever the condition's mistakes: what
    // reads it is checked on.
    Table &result = newResult();
    copySchema(result, *r);
    return &result;
  }

  // join with a condition is a select over the product; without one, and
  // semijoin and antijoin, match rows on the names the operands share.
  Table *checkJoin(const CommandNode &node) {
    Table *a = relationAt(node, 1);
    Table *b = relationAt(node, 2);
    if (node.kind == NodeKind::joinOp && node.moreArgs.size() >= 2) {
      const CommandNode *condition = operandAt(node, 3);
      if (a == nullptr || b == nullptr || condition == nullptr) {
        return nullptr;
      }
      Table &result = newResult();
      copySchema(result, *a, true);
      copySchema(result, *b, true);
      if (firstColumn(result) != nullptr) {
        checkCondition(result, *condition);
      }
      return &result;
    }
    if (a == nullptr || b == nullptr) {
      return nullptr;
    }
    NameCounts inA = countNames(*a);
    NameCounts inB = countNames(*b);
    bool alike = true;
    bool shared = false;
    for (const Column *c = firstColumn(*b); c != nullptr; c = c->next) {
      auto found = inA.find(c->name);
      if (found != inA.end()) {
        shared = true;
        alike = sharedColumnAlike(node, found->second, inB.at(c->name), *c) && alike;
      }
    }
    if (!alike) {
      return nullptr;
    }
    if (!shared && node.kind == NodeKind::joinOp) {
      warnOnce("shares no column", {msg::sharesNoColumn(node.text), node.line, node.column});
    }
    Table &result = newResult();
    copySchema(result, *a, node.kind == NodeKind::joinOp);
    if (node.kind == NodeKind::joinOp) {
      Column *last = result.schema;
      while (last->next != nullptr) {
        last = last->next;
      }
      for (const Column *c = firstColumn(*b); c != nullptr; c = c->next) {
        if (!inA.contains(c->name)) {
          last = linkColumn(last, createColumn(result, c->name, c->width));
          last->qualifier = operandQualifier(*b);
        }
      }
    }
    return &result;
  }

  // divide(R, S): S's columns are some of R's; the result has the rest.
  Table *checkDivide(const CommandNode &node) {
    Table *a = relationAt(node, 1);
    Table *b = relationAt(node, 2);
    if (a == nullptr || b == nullptr) {
      return nullptr;
    }
    NameCounts inA = countNames(*a);
    NameCounts inB = countNames(*b);
    bool found = true;
    for (const Column *c = firstColumn(*b); c != nullptr; c = c->next) {
      auto match = inA.find(c->name);
      if (match == inA.end()) {
        note({msg::divisorColumnMissing(node.text, c->name), node.line, node.column});
        found = false;
      } else {
        found = sharedColumnAlike(node, match->second, inB.at(c->name), *c) && found;
      }
    }
    if (!found) {
      return nullptr;
    }
    Table &result = newResult();
    Column *last = result.schema;
    for (const Column *c = firstColumn(*a); c != nullptr; c = c->next) {
      if (!inB.contains(c->name)) {
        last = linkColumn(last, createColumn(result, c->name, c->width));
        last->qualifier = qualifierOf(*a, *c);
      }
    }
    return &result;
  }

  struct NameCount {
    const Column *first;
    std::size_t count;
  };
  using NameCounts = std::unordered_map<std::string_view, NameCount>;

  static NameCounts countNames(const Table &table) {
    NameCounts counts;
    for (const Column *c = firstColumn(table); c != nullptr; c = c->next) {
      auto [entry, added] = counts.try_emplace(c->name, NameCount{c, 1});
      if (!added) {
        ++entry->second.count;
      }
    }
    return counts;
  }

  // A name that both operands hold must name one column in each, of one
  // kind: the rows are matched on it.
  bool sharedColumnAlike(const CommandNode &node, const NameCount &inA, const NameCount &inB, const Column &c) {
    if (inA.count > 1 || inB.count > 1) {
      note({msg::columnAmbiguous(c.name, std::max(inA.count, inB.count)), node.line, node.column});
      return false;
    }
    if ((inA.first->width == 0) != (c.width == 0)) {
      note({msg::sharedColumnTypesDiffer(node.text, c.name, typeText(inA.first->width), typeText(c.width)), node.line,
            node.column});
      return false;
    }
    return true;
  }

  // Every node of a condition tree once, however often it is shared, with an
  // explicit stack: no depth of nesting can exhaust the call stack.
  void checkCondition(const Table &relation, const CommandNode &root) {
    ColumnIndex columns(relation, command_.extended);
    std::vector<const CommandNode *> todo{&root};
    std::unordered_set<const CommandNode *> seen{&root};
    while (!todo.empty()) {
      const CommandNode &n = *todo.back();
      todo.pop_back();
      if (!isCondition(n.kind)) {
        note(notACondition(n));
        continue;
      }
      if (isComparison(n.kind)) {
        checkComparison(columns, n);
        continue;
      }
      for (int position = 1; position <= conditionOperands(n.kind); ++position) {
        const CommandNode *operand = operandAt(n, position, true);
        if (operand != nullptr && seen.insert(operand).second) {
          todo.push_back(operand);
        }
      }
    }
  }

  void checkComparison(const ColumnIndex &columns, const CommandNode &n) {
    const CommandNode *sides[2] = {operandAt(n, 1, true), operandAt(n, 2, true)};
    const Column *found[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i) {
      if (sides[i] != nullptr && sides[i]->kind != NodeKind::literal) {
        try {
          found[i] = &columns.find(*sides[i]);
        } catch (const InputError &e) {
          // "Anna" or a typographic quote pasted for 'Anna'.
          bool quoted = !quoteMark(sides[i]->text).empty();
          note(quoted ? InputError(e.message() + msg::hintQuotedLiteral(withoutQuoteMarks(sides[i]->text)), e.line(),
                                   e.column())
                      : e);
        }
      }
    }
    if (sides[0] != nullptr && sides[1] != nullptr && sides[0]->kind == NodeKind::literal &&
        sides[1]->kind == NodeKind::literal) {
      // Legal, but a constant: most often a column name written in quotes.
      const CommandNode *named = columns.has(sides[0]->text) ? sides[0] : sides[1];
      warnOnce("two literals",
               {columns.has(named->text) ? msg::twoLiteralsColumn(n.text, named->text) : msg::twoLiterals(n.text),
                named->line, named->column});
    }
    // An int column compared with a literal that is no whole number would
    // compare with the number that the literal's leading digits make.
    for (int i = 0; i < 2; ++i) {
      const CommandNode *literal = sides[i];
      const Column *other = found[1 - i];
      if (literal != nullptr && literal->kind == NodeKind::literal && other != nullptr && other->width == 0 &&
          !isWholeNumber(literal->text)) {
        note({msg::literalNotWhole(literal->text, sides[1 - i]->text), literal->line, literal->column});
      }
    }
  }

  // A quoted word where a column name belongs (project, rename) is read as
  // the name, with a warning: the quotes are the user's, not the name's.
  void warnIfQuoted(const CommandNode &name) {
    if (name.kind == NodeKind::literal) {
      warnOnce("quoted name", {msg::quotedName(name.text), name.line, name.column});
    }
  }

  // The first warning of a kind, and a count of the like ones after it: a
  // command may nest a thousand renames.
  void warnOnce(std::string_view kind, Warning warning) {
    auto [entry, first] = warned_.try_emplace(kind);
    WarnedKind &w = entry->second;
    if (first) {
      w.index = command_.warnings.size();
      w.message = warning.message;
      command_.warnings.push_back(std::move(warning));
      return;
    }
    command_.warnings[w.index].message = msg::withLikeCount(w.message, ++w.more);
  }

  // A relation name that a rename took away, and where.
  struct RenamedAway {
    const CommandNode *rename;
    std::string to;
  };

  struct WarnedKind {
    std::size_t index = 0; // in Command::warnings
    std::string message;   // as first given
    std::size_t more = 0;
  };

  Command &command_;
  Database shadow_;
  std::vector<Table *> schemas_; // by node id
  std::vector<bool> checked_;    // by node id
  std::vector<int> readers_;     // by node id: the operator operands that name it
  std::unordered_map<const Table *, int> pending_;
  std::vector<Table *> reads_; // the operand schemas of the node being checked
  std::unordered_map<std::string_view, WarnedKind> warned_;
  std::unordered_map<std::string, RenamedAway> renamedAway_;
  int current_ = 0; // the operator being checked
};

} // namespace

void checkCommand(const Database &db, Command &command) { Checker(db, command).run(); }
