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

// Reads the file at path into text, line ends folded, for loadFrom. False
// when the file cannot be read.
bool readInput(const std::string &path, InputBytes &text);

// Loads the command and the relations from text (its line ends folded),
// which must outlive db: values are views into it.
void loadFrom(Database &db, Command &command, std::string_view text);

// Reads every relation from the current position to the end of the input.
// Warnings, and relations that the file holds where no relation can begin,
// go to command.
void readTables(CharStream &in, Database &db, Command &command);

// Reads one relation, starting just after the '(' of its header line.
// emptyLine: the line of the empty line right after the header that ended
// the relation without rows, else 0.
std::unique_ptr<Table> readTable(const std::string &name, CharStream &in, Command &command, long long &emptyLine);
