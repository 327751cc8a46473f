// Reading a whole file by the name the program holds it under.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

enum class ReadOutcome { read, failed, overLimit };

// Appends every byte of the file at path to bytes. Works for pipes, FIFOs and
// devices too, as it never seeks. A regular file is read whole whatever its
// size; anything else stops with overLimit once it has given more than limit
// bytes (/dev/zero never ends). failed when the file cannot be opened or read.
ReadOutcome readWholeFile(const std::string &path, std::string &bytes, std::size_t limit);

// The bytes of a file as readFileInto reads it: a regular file's in a block
// of their own, anything else's in text.
struct FileBytes {
  std::unique_ptr<char[]> block;
  std::size_t blockSize = 0;
  std::string text;
  bool withoutCr = false; // known to hold no CR byte, seen as it was read
};

// readWholeFile, except that a regular file which keeps its size while read
// goes into block, read in parts on the run's threads.
ReadOutcome readFileInto(const std::string &path, FileBytes &bytes, std::size_t limit);

// The most that an input which is not a regular file may hold: the memory the
// machine has, at most 16 GiB.
std::size_t inputByteLimit();
