// Whole runs at 1, 2 and 8 threads, with chunks of the rows cut at every few
// bytes: the output file, the console and the exit status must not change.
#include "app/driver.h"
#include "helpers.h"
#include "input/parallel_rows.h"
#include "platform/threads.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
  std::string file;
  std::string explanation;

  bool operator==(const Outcome &) const = default;
};

std::string readWhole(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

Outcome runAt(unsigned threads, const std::string &input, bool explain) {
  // One folder per test: ctest runs the tests of this file side by side.
  std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) /
      (std::string("tabulon-threads-") + testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::create_directories(dir);
  std::string in = (dir / "in.txt").string();
  std::string out = (dir / "out.txt").string();
  std::filesystem::remove(out);
  std::ofstream(in, std::ios::binary) << input;
  std::string explanation = (dir / "explain.json").string();
  std::string sql = (dir / "explain.sql").string();
  std::string count = std::to_string(threads);
  std::vector<const char *> argv{"tabulon", "--threads", count.c_str(), in.c_str(), out.c_str()};
  if (explain) {
    argv.insert(argv.begin() + 1, {"--explain", explanation.c_str(), "--explain", sql.c_str()});
  }
  std::ostringstream stdoutText;
  std::ostringstream stderrText;
  int status = runTabulon(static_cast<int>(argv.size()), argv.data(), stdoutText, stderrText);
  // The explanation's timings are the one thing that may differ.
  std::string shown =
      explain ? std::regex_replace(readWhole(explanation), std::regex(R"("ms": [0-9.]+)"), "ms") + readWhole(sql) : "";
  return {status, stdoutText.str(), stderrText.str(), readWhole(out), shown};
}

// Rows enough for every part of a run to share its work, with rows that only
// the character loop reads (quotes over a line end, commas in quotes, blanks
// first) and values it warns about, placed among plain ones.
std::string relation(const std::string &name, std::size_t rows, std::size_t step, const std::string &lineEnd) {
  std::string text = name + "(id int, name char(12), qty int)" + lineEnd;
  for (std::size_t i = 0; i < rows; ++i) {
    std::string id = std::to_string(i * step);
    std::string qty = std::to_string((i * 7919) % 1000);
    switch (i % 9973) {
    case 17:
      text += id + ",'over" + lineEnd + "two lines'," + qty;
      break;
    case 401:
      text += id + ",'a,b'," + qty;
      break;
    case 977:
      text += id + ",'n" + id + "'," + qty + "x";
      break;
    case 2003:
      text += id + ",'far too long for twelve'," + qty;
      break;
    case 4111:
      text += "  " + id + ",\"typed\"," + qty;
      break;
    default:
      text += id + ",'n" + std::to_string(i % 5000) + "'," + qty;
    }
    text += lineEnd;
  }
  return text;
}

void expectSameAtEveryCount(const std::string &input, bool explain = false) {
  setParallelRowBytes(std::size_t{1} << 20);
  Outcome one = runAt(1, input, explain);
  for (std::size_t chunk : {std::size_t{1}, std::size_t{61}, std::size_t{4096}, std::size_t{1} << 20}) {
    setParallelRowBytes(chunk);
    for (unsigned threads : {2U, 8U}) {
      Outcome many = runAt(threads, input, explain);
      EXPECT_EQ(many.status, one.status) << threads << " threads, chunks of " << chunk;
      EXPECT_EQ(many.out, one.out) << threads << " threads, chunks of " << chunk;
      EXPECT_EQ(many.err, one.err) << threads << " threads, chunks of " << chunk;
      EXPECT_TRUE(many.file == one.file) << threads << " threads, chunks of " << chunk;
      EXPECT_TRUE(many.explanation == one.explanation) << threads << " threads, chunks of " << chunk;
    }
  }
  setParallelRowBytes(std::size_t{1} << 20);
}

} // namespace

TEST(Threads, EveryOperatorGivesTheSameRunAtEveryCount) {
  std::string r = relation("R", 70000, 1, "\n");
  std::string s = relation("S", 66000, 2, "\n");
  // union(S, R): R's texts lie before S's, out of reach of the result's
  // columns, which take S's base.
  for (const char *command : {"select(R, AND(GTE(qty, '10'), LT(qty, '900')))", "project(R, name, qty)", "union(R, S)",
                              "union(S, R)", "minus(R, S)", "rename(R, T(a, b, c))"}) {
    SCOPED_TRACE(command);
    expectSameAtEveryCount(std::string(command) + "\n\n" + r + "\n" + s);
  }
}

TEST(Threads, OperandsReadAgainAfterUnionAtEveryCount) {
  // union gives back the memory of an operand that nothing else reads; not
  // of one read again after it, nor of one that the explanation shows.
  std::string r = relation("R", 70000, 1, "\n");
  std::string s = relation("S", 66000, 2, "\n");
  expectSameAtEveryCount("minus(union(S, R), R)\n\n" + r + "\n" + s);
  expectSameAtEveryCount("union(R, S)\n\n" + r + "\n" + s, true);
}

TEST(Threads, CrLfAndEndsOfRelationsAtEveryCount) {
  // Line ends of CR LF, which chunks of one byte cut between CR and LF.
  expectSameAtEveryCount("rename(R, T(a, b, c))\r\n\r\n" + relation("R", 20000, 1, "\r\n"));
  // A relation smaller than any chunk, and one without a last line end.
  expectSameAtEveryCount("union(R, S)\n\nR(id int, name char(12), qty int)\n1,'a',2\n\n" +
                         relation("S", 3000, 1, "\n") + "3001,'z',1");
  // A line of blanks ends a relation among its rows, with a warning.
  std::string r = relation("R", 30000, 1, "\n");
  r.insert(r.find("\n1500,") + 1, "   \n");
  expectSameAtEveryCount("rename(R, T(a, b, c))\n\n" + r);
  // In a relation of one text column, where the line would be a plain row of
  // one empty value.
  std::string q = "Q(w char(8))\n";
  for (int i = 0; i < 20000; ++i) {
    q += "w" + std::to_string(i) + (i == 15000 ? "\n \t \n" : "\n");
  }
  expectSameAtEveryCount("project(Q, w)\n\n" + q);
}

TEST(Threads, EmptyLineBetweenRelationsAtEveryByteOffset) {
  // Line ends are looked for eight bytes at a time: the empty line that ends
  // R falls at each place within those eight, and so does the text's end.
  for (std::size_t pad = 0; pad < 8; ++pad) {
    SCOPED_TRACE(pad);
    std::string last = "99999,'" + std::string(pad, 'x') + "',1\n";
    expectSameAtEveryCount("union(R, S)\n\n" + relation("R", 2000, 1, "\n") + last + "\n" +
                           relation("S", 2000, 2, "\n") + last);
    // One text column, where the empty line would be a plain row of one
    // empty value.
    std::string q = "Q(w char(12))\n";
    for (int i = 0; i < 2000; ++i) {
      q += "w" + std::to_string(i) + "\n";
    }
    expectSameAtEveryCount("rename(Q, T(v))\n\n" + q + std::string(pad, 'x') + "\n\nP(v char(12))\nv\n");
  }
}

TEST(Threads, ValueBytesCountedOnceAtEveryCount) {
  // The memory budget counts every value's bytes; a row that a chunk begins
  // to store and the character loop then reads must count once.
  std::string input = "rename(R, T(a, b, c))\n\n" + relation("R", 30000, 1, "\n");
  auto bytesAt = [&](unsigned threads, std::size_t chunk) {
    setParallelism(threads);
    setParallelRowBytes(chunk);
    Loaded run;
    loadText(run, input);
    std::vector<std::size_t> bytes;
    for (const Column *c = firstColumn(*run.db.tables.front()); c != nullptr; c = c->next) {
      bytes.push_back(c->valueBytes);
    }
    return bytes;
  };
  std::vector<std::size_t> one = bytesAt(1, std::size_t{1} << 20);
  for (std::size_t chunk : {std::size_t{61}, std::size_t{4096}}) {
    EXPECT_EQ(bytesAt(2, chunk), one) << "chunks of " << chunk;
  }
  setParallelism(1);
  setParallelRowBytes(std::size_t{1} << 20);
}

TEST(Threads, ErrorsAtEveryCount) {
  // A row short of a value deep in a relation: the first error, as on one
  // thread, and not an error of a later chunk.
  std::string r = relation("R", 30000, 1, "\n");
  r.insert(r.find("\n20000,") + 1, "19999,'x'\n");
  r.insert(r.find("\n25000,") + 1, "24999\n");
  expectSameAtEveryCount("rename(R, T(a, b, c))\n\n" + r);
  // A quote left open swallows the rest of the file.
  std::string open = relation("R", 30000, 1, "\n");
  open.insert(open.find("\n12000,") + 1, "11999,'open,1\n");
  expectSameAtEveryCount("project(R, name)\n\n" + open);
}
