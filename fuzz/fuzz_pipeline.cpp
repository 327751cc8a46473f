// libFuzzer target: the whole pipeline in-process on arbitrary bytes - load
// from the buffer, execute, write to a buffer - checking the invariants that
// every run must keep.
#include "exec/executor.h"
#include "exec/product_limit.h"
#include "input/char_stream.h"
#include "input/reader.h"
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
void checkRectangular(const std::vector<Table *> &tables) {
  for (const Table *t : tables) {
    std::size_t rows = rowCount(*t);
    for (const Column *c = firstColumn(*t); c != nullptr; c = c->next) {
      std::size_t n = 0;
      for (const Cell *cell = c->cells->next; cell != nullptr; cell = cell->next) {
        ++n;
      }
      if (n != rows) {
        std::abort();
      }
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // Keep products within the fuzzer's memory limit.
  setProductMemoryLimit(256.0 * 1024 * 1024);
  std::string text(reinterpret_cast<const char *>(data), size);
  Database db;
  try {
    CharStream in(text);
    loadFrom(db, in);
    checkRectangular(db.tables);
    executeCommands(db);
  } catch (const InputError &) {
    return 0;
  }
  checkRectangular(db.results);
  foldLineEnds(text);
  std::ostringstream out;
  writeOutputTo(text, db, out);
  if (out.str().compare(0, text.size(), text) != 0) {
    std::abort(); // the copy must come through unchanged
  }
  return 0;
}
