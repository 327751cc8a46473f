// Writing a file whole or not at all: a run that fails halfway must leave the
// file that was there before untouched.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

// Calls write with a stream whose bytes become the file at path. A regular
// file (or a missing one) is replaced in one rename of a temporary file in the
// same folder, which keeps the old file's permissions and, for a symbolic
// link, replaces the link's target; anything else (a device, a FIFO, a
// console) is written directly. False when the file cannot be written; then a
// regular file keeps its old contents and no temporary file is left.
bool writeFileWhole(const std::string &path, const std::function<void(std::ostream &)> &write);
