// The memory that operator results may claim together before an operator is
// refused: a result that could never fit is reported instead of being built
// until the system kills the run.
#pragma once

#include "exec/evaluation.h"

#include <cstddef>
#include <cstdint>

// Bytes, for all the results alive at once; the machine's memory, at most
// 16 GiB, unless set. Lowered by harnesses with a tight memory limit.
double resultMemoryLimit();
void setResultMemoryLimit(double bytes);

// Claims the memory of node's result before it is built: at most rows rows
// of columns cells each, and valueBytes of copied text. Throws, naming the
// row count, when the results alive would outgrow the limit.
void claimResultMemory(Evaluation &ev, const CommandNode &node, std::uint64_t rows, std::size_t columns,
                       double valueBytes);

// Gives back what the result of node claimed, when that result is freed.
void returnResultMemory(Evaluation &ev, const Table &result);

// Text bytes that a relation's values hold, from the counts kept as they
// were appended.
double valueBytesOf(const Table &table);
