// Micro-benchmarks of the loops that dominate a run: comparing rows, reading
// relation text, writing a result, and ordering a projection.
#include "exec/executor.h"
#include "exec/project_order.h"
#include "exec/rows.h"
#include "input/reader.h"
#include "output/writer.h"
#include "platform/threads.h"
#include "store/database.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

namespace {

// A relation R(id int, name char(20), qty int) in ascending order, as text,
// of about the given size.
std::string relationText(const std::string &command, std::size_t bytes) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::uniform_int_distribution<int> length(4, 20);
  std::uniform_int_distribution<int> qty(0, 999999);
  std::string text = command + "\n\nR(id int, name char(20), qty int)\n";
  for (int id = 1; text.size() < bytes; ++id) {
    std::string name(static_cast<std::size_t>(length(rng)), 'a');
    for (char &c : name) {
      c = static_cast<char>(letter(rng));
    }
    text += std::to_string(id / 4) + ",'" + name + "'," + std::to_string(qty(rng)) + "\n";
  }
  return text + "\n";
}

class NullBuffer : public std::streambuf {
protected:
  std::streamsize xsputn(const char * /*s*/, std::streamsize n) override { return n; }
  int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
};

void readerOn10MB(benchmark::State &state) {
  std::string text = relationText("rename(R, S(a, b, c))", 10 << 20);
  for (auto _ : state) {
    Database db;
    Command command;
    loadFrom(db, command, text);
    benchmark::DoNotOptimize(db.tables.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(readerOn10MB)->Unit(benchmark::kMillisecond);

// The same rows on two threads, in chunks, with every iteration's cells in
// new memory as in a run.
void readerOn100MBTwoThreads(benchmark::State &state) {
  std::string text = relationText("rename(R, S(a, b, c))", 100 << 20);
  setParallelism(2);
  for (auto _ : state) {
    Database db;
    Command command;
    loadFrom(db, command, text);
    benchmark::DoNotOptimize(db.tables.data());
  }
  setParallelism(1);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(readerOn100MBTwoThreads)->Unit(benchmark::kMillisecond)->UseRealTime();

void compareAdjacentRows(benchmark::State &state) {
  Database db;
  Command command;
  std::string text = relationText("rename(R, S(a, b, c))", 10 << 20);
  loadFrom(db, command, text);
  const Table &r = *db.tables.front();
  std::size_t rows = 0;
  for (auto _ : state) {
    RowCursor a(r);
    RowCursor b(r);
    b.advance();
    int sum = 0;
    rows = 0;
    for (; !b.exhausted(); a.advance(), b.advance(), ++rows) {
      sum += compareRows(a, b);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rows));
}
BENCHMARK(compareAdjacentRows)->Unit(benchmark::kMillisecond);

void writeResult(benchmark::State &state) {
  Database db;
  Command command;
  std::string text = relationText("rename(R, S(a, b, c))", 10 << 20);
  loadFrom(db, command, text);
  MemoryBudget budget;
  Evaluation ev{db, command, budget};
  executeCommands(ev);
  NullBuffer sink;
  std::ostream out(&sink);
  for (auto _ : state) {
    writeOutputTo("\n\n", command.root()->result, out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(writeResult)->Unit(benchmark::kMillisecond);

void projectionOrderOfTextAndNumber(benchmark::State &state) {
  // 10^6 rows of a char column of 10^4 distinct texts and an int column of
  // 20 values: most rows repeat, in no order.
  std::mt19937 rng(2);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::vector<std::string> pool(10000);
  for (std::string &text : pool) {
    text.assign(12, 'a');
    for (char &c : text) {
      c = static_cast<char>(letter(rng));
    }
  }
  std::vector<std::string> numbers;
  for (int year = 1990; year < 2010; ++year) {
    numbers.push_back(std::to_string(year));
  }
  std::uniform_int_distribution<std::size_t> pickText(0, pool.size() - 1);
  std::uniform_int_distribution<std::size_t> pickNumber(0, numbers.size() - 1);
  std::vector<std::vector<std::string_view>> values(2);
  for (std::size_t r = 0; r < 1000000; ++r) {
    values[0].emplace_back(pool[pickText(rng)]);
    values[1].emplace_back(numbers[pickNumber(rng)]);
  }
  ProjectionInput input{{20, 0}, 1000000, [&](std::size_t c, std::size_t r) { return values[c][r]; }, {}};
  for (auto _ : state) {
    benchmark::DoNotOptimize(projectionOrder(input).size());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 1000000);
}
BENCHMARK(projectionOrderOfTextAndNumber)->Unit(benchmark::kMillisecond);

} // namespace
