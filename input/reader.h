// Loading the input: the file's bytes, read once, then the command line and
// every relation definition.
#pragma once

#include "input/char_stream.h"
#include "input/command.h"
#include "platform/input_bytes.h"
#include "store/database.h"

#include <memory>
#include <string>
#include <string_view>

// Reads the file at path into text (line ends folded) and loads the command
// and the relations from it; their values are views into text. False when
// the file cannot be read.
bool loadInput(Database &db, Command &command, const std::string &path, InputBytes &text);

// The file-independent core of loadInput, over text with folded line ends,
// which must outlive db: values are views into it.
void loadFrom(Database &db, Command &command, std::string_view text);

// Reads every relation from the current position to the end of the input.
void readTables(CharStream &in, Database &db);

// Reads one relation, starting just after the '(' of its header line.
std::unique_ptr<Table> readTable(const std::string &name, CharStream &in);

// The width of a column from its type text: 0 for int, n for char(n).
std::int32_t widthOfType(std::string_view type);
