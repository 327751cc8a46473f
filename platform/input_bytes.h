// The input file's bytes in memory, read once, for the relations to view and
// the output to copy.
#pragma once

#include "platform/files.h"

#include <cstddef>
#include <string>
#include <string_view>

class InputBytes {
public:
  InputBytes() = default;
  InputBytes(const InputBytes &) = delete;
  InputBytes &operator=(const InputBytes &) = delete;

  // Reads the file at path (a pipe or a device too) to its end. False when it
  // cannot be opened or read, or, with overLimit, when it is not a regular
  // file and gives more than the machine's memory could hold.
  bool load(const std::string &path);
  [[nodiscard]] bool overLimit() const { return overLimit_; }
  [[nodiscard]] std::string_view view() const;
  // Whether the bytes may hold a CR (a file read whole was looked through).
  [[nodiscard]] bool mayHoldCr() const { return !bytes_.withoutCr; }
  // The bytes, to be changed in place (line ends folded), and kept up to size.
  char *data();
  void shorten(std::size_t size);

private:
  FileBytes bytes_;
  bool overLimit_ = false;
};
