// Reading a large relation's rows on several threads: the rows are cut into
// chunks at line ends, each chunk's plain rows are read on its own, and the
// chunks are joined in order for as long as every row of them was plain.
#pragma once

#include "input/char_stream.h"
#include "store/table.h"

#include <cstddef>
#include <vector>

// Takes the plain rows from the row whose first character in was read last,
// storing them in columns, and leaves in just after the last one's line end:
// what takePlainRow would do row by row, up to the first row that it would
// not take. 0, in and columns untouched, with one thread or a relation too
// small to share; its columns may then have room reserved.
std::size_t takePlainRows(CharStream &in, const std::vector<Column *> &columns);

// The least a relation's rows may take in bytes to be read on threads, and
// the bytes of one chunk; small in tests, to cut small inputs.
void setParallelRowBytes(std::size_t chunk);
