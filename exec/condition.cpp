// The condition evaluator: one boolean per row for a condition tree. The tree
// is walked with an explicit stack, so that no depth of nesting can exhaust
// the call stack. The tokenizer can make one node the operand of several
// (AND(,X) names X twice); such a node is evaluated once and its mask reused,
// or nested sharing would cost 2^depth evaluations.
#include "exec/condition.h"

#include "check/columns.h"
#include "exec/rows.h"
#include "exec/trace.h"
#include "platform/threads.h"
#include "store/error.h"
#include "store/int_value.h"

#include <algorithm>
#include <cassert>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using Mask = std::vector<bool>;

// Rows of a mask cut for threads: whole multiples of this many, so that no
// two threads write the same word of a mask's bits.
constexpr std::size_t maskAlign = 4096;

// Calls fill(first, last) over row ranges of rows, on the run's threads when
// there are enough rows to share.
template <typename Fill> void overRows(std::size_t rows, const Fill &fill) {
  std::size_t parts = std::min<std::size_t>(parallelism(), rows / (16 * maskAlign));
  if (parts <= 1) {
    fill(std::size_t{0}, rows);
    return;
  }
  runParts(parts, [&](std::size_t part) {
    RowRange range = partOf(rows, parts, part, maskAlign);
    fill(range.first, range.last);
  });
}

bool outcome(NodeKind kind, int c) {
  switch (kind) {
  case NodeKind::eq:
    return c == 0;
  case NodeKind::neq:
    return c != 0;
  case NodeKind::lt:
    return c < 0;
  case NodeKind::lte:
    return c <= 0;
  case NodeKind::gt:
    return c > 0;
  default:
    return c >= 0;
  }
}

// One side of a comparison: a literal's text, or a column read row by row.
struct Side {
  std::string_view literal;
  const Column *column = nullptr;
};

class ConditionEvaluator {
public:
  ConditionEvaluator(const Command &command, const Table &relation, Trace *trace)
      : command_(command), relation_(relation), columns_(relation, command.extended), trace_(trace) {}

  Mask run(const CommandNode &root) {
    countUses(root);
    push(root);
    while (!frames_.empty()) {
      step();
    }
    return std::move(results_.back());
  }

private:
  struct Frame {
    const CommandNode *node;
    int stage;
  };

  // The mask of a shared node, kept until its last user has taken it.
  struct Saved {
    Mask mask;
    int remaining;
  };

  // How often each node below root is an operand of AND, OR or NOT. Operands
  // that cannot be found are left to the evaluation to report.
  void countUses(const CommandNode &root) {
    std::vector<const CommandNode *> todo{&root};
    while (!todo.empty()) {
      const CommandNode &n = *todo.back();
      todo.pop_back();
      for (int position = 1; position <= conditionOperands(n.kind); ++position) {
        int id = operandId(n, position);
        const CommandNode *found = id > 0 ? command_.findNode(id) : nullptr;
        if (found != nullptr && ++uses_[found] == 1) {
          todo.push_back(found);
        }
      }
    }
  }

  const CommandNode &operand(const CommandNode &n, int position) {
    int id = operandId(n, position);
    const CommandNode *found = id > 0 ? command_.findNode(id) : nullptr;
    if (found == nullptr) {
      throw InternalError("operand " + std::to_string(position) + " of " + n.text + " missing after the check");
    }
    return *found;
  }

  void push(const CommandNode &n) {
    auto saved = saved_.find(&n);
    if (saved != saved_.end()) {
      if (--saved->second.remaining == 0) {
        results_.push_back(std::move(saved->second.mask));
        saved_.erase(saved);
      } else {
        results_.push_back(saved->second.mask);
      }
      return;
    }
    if (!isCondition(n.kind)) {
      throw InternalError(n.text + " is no condition, after the check");
    }
    frames_.push_back({&n, 0});
  }

  void step() {
    Frame &f = frames_.back();
    const CommandNode &n = *f.node;
    if (n.kind == NodeKind::andOp || n.kind == NodeKind::orOp) {
      if (f.stage < 2) {
        ++f.stage;
        push(operand(n, f.stage));
        return;
      }
      combine(n);
    } else if (n.kind == NodeKind::notOp) {
      if (f.stage == 0) {
        f.stage = 1;
        push(operand(n, 1));
        return;
      }
      Mask &a = results_.back();
      a.flip();
    } else {
      results_.push_back(compare(n));
    }
    if (trace_ != nullptr) {
      trace_->conditionEvaluated(n, results_.back());
    }
    auto uses = uses_.find(&n);
    if (uses != uses_.end() && uses->second > 1) {
      saved_.emplace(&n, Saved{results_.back(), uses->second - 1});
    }
    frames_.pop_back();
  }

  void combine(const CommandNode &n) {
    Mask b = std::move(results_.back());
    results_.pop_back();
    Mask &a = results_.back();
    assert(a.size() == b.size() && "every mask has a value for each row of the one relation");
    overRows(a.size(), [&](std::size_t first, std::size_t last) {
      for (std::size_t i = first; i < last; ++i) {
        a[i] = n.kind == NodeKind::andOp ? (a[i] && b[i]) : (a[i] || b[i]);
      }
    });
  }

  Side side(const CommandNode &n) {
    if (n.kind == NodeKind::literal) {
      return {n.text, nullptr};
    }
    return {{}, &columns_.find(n)};
  }

  Mask compare(const CommandNode &n) {
    const CommandNode &leftNode = operand(n, 1);
    const CommandNode &rightNode = operand(n, 2);
    Side left = side(leftNode);
    Side right = side(rightNode);
    Mask out;
    bool numeric =
        (left.column != nullptr && left.column->width == 0) || (right.column != nullptr && right.column->width == 0);
    std::size_t rows = rowCount(relation_);
    out.resize(rows);
    if (numeric) {
      // A literal is converted once, not once per row.
      std::int32_t lit = toInt32(left.column != nullptr ? right.literal : left.literal);
      overRows(rows, [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
          std::int32_t x = left.column != nullptr ? toInt32(left.column->value(i)) : lit;
          std::int32_t y = right.column != nullptr ? toInt32(right.column->value(i)) : lit;
          out[i] = outcome(n.kind, x < y ? -1 : (x > y ? 1 : 0));
        }
      });
      return out;
    }
    overRows(rows, [&](std::size_t first, std::size_t last) {
      for (std::size_t i = first; i < last; ++i) {
        std::string_view lv = left.column != nullptr ? left.column->value(i) : left.literal;
        std::string_view rv = right.column != nullptr ? right.column->value(i) : right.literal;
        out[i] = outcome(n.kind, compareValues(1, lv, rv));
      }
    });
    return out;
  }

  const Command &command_;
  const Table &relation_;
  ColumnIndex columns_;
  Trace *trace_;
  std::vector<Frame> frames_;
  std::vector<Mask> results_;
  std::unordered_map<const CommandNode *, int> uses_;
  std::unordered_map<const CommandNode *, Saved> saved_;
};

} // namespace

std::vector<bool> evaluateCondition(const Command &command, const Table &relation, const CommandNode &root,
                                    Trace *trace) {
  return ConditionEvaluator(command, relation, trace).run(root);
}
