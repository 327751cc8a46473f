// The output file: a copy of the input file's text, an ensured empty line,
// then the command's result relation in the input format.
#pragma once

#include "platform/output_file.h"
#include "store/table.h"

#include <iosfwd>
#include <string>
#include <string_view>

// Writes copy (the input's text as read, line ends folded) and result (none
// for a command without one) to the file, whose head is copy and may have
// been sent ahead. False, after printing its message on console, when the
// file cannot be written.
bool writeOutput(FileHead &file, std::string_view copy, const Table *result, std::ostream &console);

// The file-independent core of writeOutput.
void writeOutputTo(std::string_view copy, const Table *result, std::ostream &out);
