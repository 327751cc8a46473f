// libFuzzer target: the whole pipeline in-process on arbitrary bytes - load
// from the buffer, execute, write to a buffer, explain in every form -
// checking the invariants that every run must keep.
#include "check/check.h"
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
#include <streambuf>
#include <string>
#include <string_view>
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

// Where the output goes: the copy of the input is checked byte by byte as it
// arrives, and what follows is counted, not kept. A product of a few short
// relations can write gigabytes, so the sink refuses bytes past a cap and the
// writer must then stop.
class CheckingSink : public std::streambuf {
public:
  explicit CheckingSink(std::string_view copy) : copy_(copy) {}
  std::size_t written() const { return written_; }

protected:
  std::streamsize xsputn(const char *s, std::streamsize n) override {
    auto count = static_cast<std::size_t>(n);
    if (written_ + count > cap) {
      return 0;
    }
    for (std::size_t i = 0; i < count && written_ + i < copy_.size(); ++i) {
      if (s[i] != copy_[written_ + i]) {
        std::abort(); // the copy must come through unchanged
      }
    }
    written_ += count;
    return n;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
      return traits_type::not_eof(c);
    }
    char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }

private:
  static constexpr std::size_t cap = std::size_t{64} << 20;
  std::string_view copy_;
  std::size_t written_ = 0;
};

// Every form of the explanation, of a run that succeeded or failed.
void explain(const Command &command, const Trace &trace, const Database &db) {
  for (ExplainFormat format : {ExplainFormat::text, ExplainFormat::json, ExplainFormat::dot, ExplainFormat::sql}) {
    std::ostringstream out;
    try {
      writeExplanation(format, {command, trace, db}, out);
    } catch (const ExplainRefused &) {
      // SQL cannot carry a NUL byte: the run says so and writes no script.
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // Products small enough that one input runs well inside the fuzzer's
  // memory limit and timeout, even under the sanitizers on a slow machine.
  std::string text(reinterpret_cast<const char *>(data), size);
  text.resize(foldLineEnds(text.data(), text.size()));
  Database db;
  Command command;
  // The extended operators where the input's length is odd: both languages
  // from one corpus.
  command.extended = size % 2 == 1;
  Trace trace(20);
  try {
    loadFrom(db, command, text);
    checkRectangular(db.tables);
    if (command.errors.empty()) {
      try {
        checkCommand(db, command);
      } catch (const ErrorLimitReached &) {
      }
    }
    if (!command.errors.empty()) {
      const Warning &first = command.errors.front();
      throw InputError(first.message, first.line, first.column);
    }
    MemoryBudget budget;
    budget.limit = std::uint64_t{64} << 20;
    Evaluation ev{db, command, budget};
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
  CheckingSink sink(text);
  std::ostream out(&sink);
  const CommandNode *root = command.root();
  writeOutputTo(text, root != nullptr ? root->result : nullptr, out);
  if (sink.written() < text.size()) {
    std::abort(); // the copy must come through whole
  }
  return 0;
}
