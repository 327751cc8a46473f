// Reading a whole file by the name the program holds it under.
#pragma once

#include <cstddef>
#include <string>

enum class ReadOutcome { read, failed, overLimit };

// Appends every byte of the file at path to bytes. Works for pipes, FIFOs and
// devices too, as it never seeks. A regular file is read whole whatever its
// size; anything else stops with overLimit once it has given more than limit
// bytes (/dev/zero never ends). failed when the file cannot be opened or read.
ReadOutcome readWholeFile(const std::string &path, std::string &bytes, std::size_t limit);

// The most that an input which is not a regular file may hold: the memory the
// machine has, at most 16 GiB.
std::size_t inputByteLimit();
