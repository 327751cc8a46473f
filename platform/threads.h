// How many threads a run may use, and the two ways work is spread over them:
// independent parts, and parts whose results are consumed in order. With one
// thread, or where a thread cannot be started, all of it runs on the caller.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The cores this process may use (CPU affinity and a cgroup's quota taken
// into account), at most maxThreads; 1 where threads are not built in.
unsigned availableThreads();
constexpr unsigned maxThreads = 8;
// The most --threads may ask for.
constexpr unsigned maxAskedThreads = 64;

// The count work is spread over for the rest of the run (at most
// maxAskedThreads); 1 until set.
unsigned parallelism();
void setParallelism(unsigned threads);

// Calls work(part) once for every part below parts, on up to parallelism()
// threads, the caller one of them. An exception thrown by a part is rethrown
// here once all have ended: the one of the lowest part, so that the outcome
// does not depend on timing.
void runParts(std::size_t parts, const std::function<void(std::size_t part)> &work);

// Calls make(part) for every part below parts on other threads, at most a
// few ahead, and use(part, text) on the caller in part order: the writer
// forms its next blocks while one goes out.
void runInOrder(std::size_t parts, const std::function<void(std::size_t part, std::string &text)> &make,
                const std::function<void(std::size_t part, std::string &text)> &use);

// Rows [first, last) of part number part when rows are cut into parts of
// whole multiples of align rows (the last part takes the remainder).
struct RowRange {
  std::size_t first;
  std::size_t last;
};
RowRange partOf(std::size_t rows, std::size_t parts, std::size_t part, std::size_t align = 1);
