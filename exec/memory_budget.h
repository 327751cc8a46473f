// The memory that operator results may claim together before an operator is
// refused: a result that could never fit is reported instead of being built
// until the system kills the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

struct CommandNode;
struct Evaluation;
struct Table;

// Byte counts saturate: a product of huge operands must be refused, not
// wrap around to a count that fits.
std::uint64_t addBytes(std::uint64_t a, std::uint64_t b);
std::uint64_t timesBytes(std::uint64_t a, std::uint64_t b);

// The machine's memory, at most 16 GiB.
std::uint64_t defaultResultMemoryLimit();

// What the results alive have claimed, against the limit for all of them.
struct MemoryBudget {
  std::uint64_t limit = defaultResultMemoryLimit(); // lowered by harnesses with a tight memory limit
  std::uint64_t claimed = 0;
  std::unordered_map<const Table *, std::uint64_t> claims; // by each result
};

// Claims the memory of node's result before it is built: at most rows rows
// of columns cells each, and valueBytes of copied text. Throws, naming the
// row count, when the results alive would outgrow the limit.
void claimResultMemory(Evaluation &ev, const CommandNode &node, std::uint64_t rows, std::size_t columns,
                       std::uint64_t valueBytes);

// Gives back what the result of node claimed, when that result is freed.
void returnResultMemory(Evaluation &ev, const Table &result);

// Text bytes that a relation's values hold, from the counts kept as they
// were appended.
std::uint64_t valueBytesOf(const Table &table);
