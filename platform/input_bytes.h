// The input file's bytes in memory: mapped where the system allows it, so
// that they are neither copied nor held twice, and read otherwise.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class InputBytes {
public:
  InputBytes() = default;
  ~InputBytes();
  InputBytes(const InputBytes &) = delete;
  InputBytes &operator=(const InputBytes &) = delete;

  // Takes in the file at path: a regular file is mapped, anything else (a
  // pipe, a device, a system without mappings) read to its end. False when
  // it cannot be opened or read.
  bool load(const std::string &path);
  [[nodiscard]] std::string_view view() const;
  // The bytes as a string of their own, to be changed in place; a mapping is
  // copied into it once and given up.
  std::string &owned();

private:
  void unmap();

  const char *mapped_ = nullptr;
  std::size_t mappedSize_ = 0;
  std::string owned_;
};
