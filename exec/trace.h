// The record of one evaluation, for the explanation of how a command was
// evaluated: each operator's result as it finished, the relations that its
// operands stood for, and for how many rows each condition held. Everything
// is copied at the moment it is recorded, so results may be released early.
#pragma once

#include "input/command.h"
#include "store/database.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct TraceColumn {
  std::string name;
  std::int32_t width = 0; // 0 int, n char(n)
  std::string qualifier;  // what R.name qualifies it with under --extended, if anything
};

// Whether text names column c: by its name, or as qualifier.name where no
// column is called text itself (of columns, c's relation's).
bool namesColumn(const std::vector<TraceColumn> &columns, const TraceColumn &c, const std::string &text);

// A relation as it stood at one moment: its header, its size and, as texts,
// its first rows.
struct TraceRelation {
  std::string name;
  std::vector<TraceColumn> columns;
  std::size_t rowCount = 0;
  std::vector<std::vector<std::string>> rows; // [row][column]
};

// A relation operand as its operator saw it (header and count, no rows).
struct TraceOperand {
  int nodeId = 0;
  std::optional<std::size_t> input; // its place in Database::tables, for a relation of the input
  TraceRelation relation;
};

// One operator that finished.
struct TraceStep {
  int nodeId = 0;
  TraceRelation result;
  double ms = 0;
  std::vector<TraceOperand> operands; // relation operands, in operand order
};

struct TraceCondition {
  std::size_t trueRows = 0;
  std::size_t rows = 0; // the length of its row mask
};

// Why the run stopped; nodeId is the operator being evaluated, 0 for none.
struct TraceFailure {
  int nodeId = 0;
  long long line = 0;
  long long column = 0;
  std::string message;
};

class Trace {
public:
  explicit Trace(std::size_t rowLimit) : rowLimit_(rowLimit) {}

  // The relations of the input as read (their first rows too), before any
  // rename changes them.
  void noteInputs(const Database &db);
  void operatorStarts(const CommandNode &node);
  // Copies what the finished operator built; node.result and its operands'
  // results must still be alive.
  void operatorEnds(const Command &command, const CommandNode &node);
  void conditionEvaluated(const CommandNode &node, const std::vector<bool> &mask);
  // The operator under way, if any, is the one that failed; before
  // evaluation, node names the operator whose check failed (0: none).
  void fail(long long line, long long column, std::string message, int node = 0);

  [[nodiscard]] const std::vector<TraceStep> &steps() const { return steps_; }
  [[nodiscard]] const TraceStep *stepOf(int nodeId) const;
  [[nodiscard]] const TraceCondition *conditionOf(int nodeId) const;
  // The input relations as read: name, columns, row count and first rows.
  [[nodiscard]] const std::vector<TraceRelation> &inputs() const { return inputs_; }
  [[nodiscard]] const std::optional<TraceFailure> &failure() const { return failure_; }

private:
  std::size_t rowLimit_;
  std::vector<TraceStep> steps_;
  std::unordered_map<int, std::size_t> stepIndex_;
  std::unordered_map<int, TraceCondition> conditions_;
  std::vector<TraceRelation> inputs_;
  std::unordered_map<const Table *, std::size_t> inputIndex_;
  std::optional<TraceFailure> failure_;
  int current_ = 0;
  std::chrono::steady_clock::time_point started_;
};
