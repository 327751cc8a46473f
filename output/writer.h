// The output file: a copy of the input file's text, an ensured empty line,
// then the command's result relation in the input format.
#pragma once

#include "store/database.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

// Returns 0 when the output file was written; 1, after printing its message
// on console, when the input cannot be read again or the output not written.
int writeOutput(const std::string &inputPath, const std::string &outputPath, Database &db, std::ostream &console);

// The file-independent core: writes copy (the input's text, line ends
// already folded) and the result of the command's root to out.
void writeOutputTo(std::string_view copy, const Database &db, std::ostream &out);

// Copies in to out in blocks, every CR LF pair folded into LF; returns how
// many newline bytes end the copy, at most 2.
std::size_t copyFolded(std::istream &in, std::ostream &out);

// After a copy that ends with trailing newline bytes: the newlines that make
// an empty line, then the result of the command's root.
void writeResultAfter(std::size_t trailing, const Database &db, std::ostream &out);

// The relation that the output carries: the result of the command's root.
const Table *rootResult(const Database &db);

// Folds every CR LF pair into LF in place, as a text-mode read does.
void foldLineEnds(std::string &text);
