// Loading the input file: the command line, then every relation definition.
#pragma once

#include "input/char_stream.h"
#include "store/database.h"

#include <iosfwd>
#include <string>

// Loads the file at path. Returns 1, after printing its message on out, when
// the file cannot be opened; 0 when it was read.
int loadInput(Database &db, const std::string &path, std::ostream &out);

// Loads from an already opened source; the file-independent core of loadInput.
void loadFrom(Database &db, CharStream &in);

// Reads every relation from the current position to the end of the input.
int readTables(CharStream &in, Database &db);

// Reads one relation, starting just after the '(' of its header line.
// The returned relation is owned by the caller.
Table *readTable(const std::string &name, CharStream &in);

// The width of a column from its type text: 0 for int, n for char(n).
std::int32_t widthOfType(std::string_view type);
