// libFuzzer target: the whole pipeline in-process on arbitrary bytes - load
// from the buffer, execute, write to a buffer, explain in every form -
// checking the invariants that every run must keep.
#include "exec/executor.h"
#include "exec/memory_budget.h"
#include "exec/rows.h"
#include "exec/trace.h"
#include "input/line_ends.h"
#include "input/reader.h"
#include "output/explain.h"
#include "output/writer.h"
#include "store/database.h"
#include "store/error.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Every relation, read or built by an operator, has columns of one length.
void checkRectangular(const std::vector<std::unique_ptr<Table>> &tables) {
  for (const auto &t : tables) {
    std::size_t rows = rowCount(*t);
    for (const Column *c = firstColumn(*t); c != nullptr; c = c->next) {
      if (c->size() != rows) {
        std::abort();
      }
    }
  }
}

// A projection's rows ascend strictly: sorted, repeated rows removed.
void checkProjections(const Command &command) {
  for (const CommandNode &n0 : command.nodes) {
    const CommandNode *n = &n0;
    if (n->kind != NodeKind::projectOp || n->result == nullptr) {
      continue;
    }
    std::vector<const Column *> columns;
    for (const Column *c = firstColumn(*n->result); c != nullptr; c = c->next) {
      columns.push_back(c);
    }
    std::size_t rows = rowCount(*n->result);
    for (std::size_t row = 1; row < rows; ++row) {
      int order = 0;
      for (std::size_t i = 0; i < columns.size() && order == 0; ++i) {
        order = compareValues(columns[i]->width, columns[i]->value(row - 1), columns[i]->value(row));
      }
      if (order >= 0) {
        std::abort();
      }
    }
  }
}

// Every form of the explanation, of a run that succeeded or failed.
void explain(const Command &command, const Trace &trace, const Database &db) {
  for (ExplainFormat format : {ExplainFormat::text, ExplainFormat::json, ExplainFormat::dot, ExplainFormat::sql}) {
    std::ostringstream out;
    writeExplanation(format, {command, trace, db}, out);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // Keep products within the fuzzer's memory limit.
  setResultMemoryLimit(256.0 * 1024 * 1024);
  std::string text(reinterpret_cast<const char *>(data), size);
  foldLineEnds(text);
  Database db;
  Command command;
  Trace trace(20);
  try {
    loadFrom(db, command, text);
    checkRectangular(db.tables);
    Evaluation ev{db, command};
    trace.noteInputs(db);
    ev.trace = &trace;
    executeCommands(ev);
  } catch (const InputError &e) {
    trace.fail(e.line(), e.column(), e.what());
    explain(command, trace, db);
    return 0;
  }
  explain(command, trace, db);
  checkRectangular(db.results);
  checkProjections(command);
  std::ostringstream out;
  const CommandNode *root = command.root();
  writeOutputTo(text, root != nullptr ? root->result : nullptr, out);
  if (out.str().compare(0, text.size(), text) != 0) {
    std::abort(); // the copy must come through unchanged
  }
  return 0;
}
