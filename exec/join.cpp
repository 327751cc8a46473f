// join(R, S): each row of R with each row of S that agrees with it on every
// name the two share, in the product's order (R outer, S inner); S's rows are
// grouped by those values once, so a row of R meets only its partners.
// join(R, S, condition): the product's rows that meet the condition. Its
// equalities between a column of R and one of S, ANDed at the top, pick the
// candidate pairs by the same grouping; the whole condition then filters the
// candidates a block at a time, so that no product is ever held.
#include "check/columns.h"
#include "exec/condition.h"
#include "exec/memory_budget.h"
#include "exec/operators.h"
#include "exec/row_keys.h"
#include "exec/rows.h"

#include <cassert>
#include <vector>

namespace {

constexpr std::size_t blockPairs = std::size_t{1} << 16;

void naturalJoin(Evaluation &ev, CommandNode &node) {
  Table &result = createTempTable(ev, node);
  Table &a = resolveOperand(ev, node, 1);
  Table &b = resolveOperand(ev, node, 2);
  SharedColumns shared = sharedColumns(a, b);
  RowKeys keysA(shared.inFirst, shared.numeric, rowCount(a));
  RowKeys keysB(shared.inSecond, shared.numeric, rowCount(b));
  KeyGroups groups(keysB);
  std::vector<std::size_t> groupOfA(keysA.rows());
  std::uint64_t rows = 0;
  for (std::size_t i = 0; i < keysA.rows(); ++i) {
    groupOfA[i] = groups.find(keysA, i);
    rows += groupOfA[i] == KeyGroups::none ? 0 : groups.rowsOf(groupOfA[i]).size();
  }
  std::vector<const Column *> fromA = columnsOf(a);
  claimResultMemory(ev, node, rows, fromA.size() + shared.onlyInSecond.size(),
                    addBytes(valueBytesOf(a), valueBytesOf(b)));
  copyOperandColumns(result, a);
  for (const Column *c : shared.onlyInSecond) {
    copyColumn(result, *c, operandQualifier(b));
  }
  std::vector<Column *> targets = appendTargets(result, rows);
  std::size_t t = 0;
  for (const Column *c : fromA) {
    Column &target = *targets[t++];
    for (std::size_t i = 0; i < groupOfA.size(); ++i) {
      if (groupOfA[i] != KeyGroups::none) {
        for (std::size_t k = groups.rowsOf(groupOfA[i]).size(); k > 0; --k) {
          appendCell(target, *c, i);
        }
      }
    }
  }
  for (const Column *c : shared.onlyInSecond) {
    Column &target = *targets[t++];
    for (std::size_t g : groupOfA) {
      if (g != KeyGroups::none) {
        for (std::uint32_t j : groups.rowsOf(g)) {
          appendCell(target, *c, j);
        }
      }
    }
  }
}

// The pairs (row of R, row of S) of a join, in the product's order.
struct Pairs {
  std::vector<std::uint32_t> first;
  std::vector<std::uint32_t> second;
};

class ConditionJoin {
public:
  ConditionJoin(Evaluation &ev, CommandNode &node)
      : ev_(ev), node_(node), result_(createTempTable(ev, node)), a_(resolveOperand(ev, node, 1)),
        b_(resolveOperand(ev, node, 2)), condition_(operandNode(ev, node, operandId(node, 3), 3)),
        fromA_(columnsOf(a_)), fromB_(columnsOf(b_)) {}

  void run() {
    copyOperandColumns(result_, a_);
    copyOperandColumns(result_, b_);
    if (firstColumn(result_) == nullptr) {
      return; // no columns, no rows
    }
    findEqualities();
    std::size_t rowsA = rowCount(a_);
    std::size_t rowsB = rowCount(b_);
    if (keysA_.empty()) {
      for (std::size_t i = 0; i < rowsA; ++i) {
        for (std::size_t j = 0; j < rowsB; ++j) {
          candidate(i, j);
        }
      }
    } else {
      RowKeys keysA(keysA_, numeric_, rowsA);
      RowKeys keysB(keysB_, numeric_, rowsB);
      KeyGroups groups(keysB);
      for (std::size_t i = 0; i < rowsA; ++i) {
        if (std::size_t g = groups.find(keysA, i); g != KeyGroups::none) {
          for (std::uint32_t j : groups.rowsOf(g)) {
            candidate(i, j);
          }
        }
      }
    }
    filterBlock();
    claimResultMemory(ev_, node_, kept_.first.size(), fromA_.size() + fromB_.size(),
                      addBytes(valueBytesOf(a_), valueBytesOf(b_)));
    fill(result_, kept_);
  }

private:
  // The EQ(x, y) under the condition's top-level ANDs where x is a column of
  // R and y one of S, or the other way round.
  void findEqualities() {
    ColumnIndex columns(result_, ev_.command.extended);
    std::vector<const Column *> sources = fromA_;
    sources.insert(sources.end(), fromB_.begin(), fromB_.end());
    std::vector<const Column *> inResult = columnsOf(result_);
    auto sourceOf = [&](const CommandNode &side) -> std::size_t {
      const Column *c = &columns.find(side);
      for (std::size_t k = 0; k < inResult.size(); ++k) {
        if (inResult[k] == c) {
          return k;
        }
      }
      assert(false && "a column of the result");
      return 0;
    };
    std::vector<const CommandNode *> todo{&condition_};
    while (!todo.empty()) {
      const CommandNode &n = *todo.back();
      todo.pop_back();
      if (n.kind == NodeKind::andOp) {
        for (int position = 1; position <= 2; ++position) {
          todo.push_back(&operandNode(ev_, n, operandId(n, position), position));
        }
        continue;
      }
      if (n.kind != NodeKind::eq) {
        continue;
      }
      const CommandNode &left = operandNode(ev_, n, operandId(n, 1), 1);
      const CommandNode &right = operandNode(ev_, n, operandId(n, 2), 2);
      if (left.kind != NodeKind::name || right.kind != NodeKind::name) {
        continue;
      }
      std::size_t x = sourceOf(left);
      std::size_t y = sourceOf(right);
      if ((x < fromA_.size()) == (y < fromA_.size())) {
        continue; // both of one operand: a filter, not a pairing
      }
      if (x > y) {
        std::swap(x, y);
      }
      keysA_.push_back(sources[x]);
      keysB_.push_back(sources[y]);
      numeric_.push_back(sources[x]->width == 0 || sources[y]->width == 0);
    }
  }

  void candidate(std::size_t i, std::size_t j) {
    block_.first.push_back(static_cast<std::uint32_t>(i));
    block_.second.push_back(static_cast<std::uint32_t>(j));
    if (block_.first.size() == blockPairs) {
      filterBlock();
    }
  }

  void filterBlock() {
    if (block_.first.empty()) {
      return;
    }
    Table block(result_.name);
    copyOperandColumns(block, a_);
    copyOperandColumns(block, b_);
    fill(block, block_);
    std::vector<bool> mask = evaluateCondition(ev_.command, block, condition_, ev_.trace);
    for (std::size_t k = 0; k < mask.size(); ++k) {
      if (mask[k]) {
        kept_.first.push_back(block_.first[k]);
        kept_.second.push_back(block_.second[k]);
      }
    }
    block_.first.clear();
    block_.second.clear();
  }

  void fill(Table &target, const Pairs &pairs) {
    std::vector<Column *> targets = appendTargets(target, pairs.first.size());
    std::size_t t = 0;
    for (const Column *c : fromA_) {
      for (std::uint32_t i : pairs.first) {
        appendCell(*targets[t], *c, i);
      }
      ++t;
    }
    for (const Column *c : fromB_) {
      for (std::uint32_t j : pairs.second) {
        appendCell(*targets[t], *c, j);
      }
      ++t;
    }
  }

  Evaluation &ev_;
  CommandNode &node_;
  Table &result_;
  Table &a_;
  Table &b_;
  const CommandNode &condition_;
  std::vector<const Column *> fromA_;
  std::vector<const Column *> fromB_;
  std::vector<const Column *> keysA_;
  std::vector<const Column *> keysB_;
  std::vector<bool> numeric_;
  Pairs block_;
  Pairs kept_;
};

} // namespace

void evaluateJoin(Evaluation &ev, CommandNode &node) {
  if (node.moreArgs.size() >= 2) {
    ConditionJoin(ev, node).run();
  } else {
    naturalJoin(ev, node);
  }
}
