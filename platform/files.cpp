// Whole-file reads in large blocks, so that the input is read exactly once.
#include "platform/files.h"

#include "platform/native_path.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

bool readWholeFile(const std::string &path, std::string &bytes) {
  std::error_code ignored;
  // A folder opens as a stream on some systems and then reads as empty.
  if (std::filesystem::is_directory(nativePath(path), ignored)) {
    return false;
  }
  std::ifstream in(nativePath(path), std::ios::binary);
  if (!in.is_open()) {
    return false;
  }
  // A regular file is read straight into place, as many bytes as its size,
  // in reads small enough for any system's read call; what a pipe gives, or
  // a file that grew meanwhile, follows in blocks.
  auto size = std::filesystem::file_size(nativePath(path), ignored);
  if (!ignored && size > 0) {
    constexpr std::size_t largestRead = std::size_t{1} << 26;
    std::size_t start = bytes.size();
    std::size_t filled = 0;
    bytes.resize(start + static_cast<std::size_t>(size));
    while (filled < size && in) {
      std::size_t want = std::min(static_cast<std::size_t>(size) - filled, largestRead);
      in.read(bytes.data() + start + filled, static_cast<std::streamsize>(want));
      filled += static_cast<std::size_t>(in.gcount());
    }
    bytes.resize(start + filled);
  }
  std::vector<char> block(std::size_t{1} << 20);
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    bytes.append(block.data(), static_cast<std::size_t>(in.gcount()));
  }
  return !in.bad();
}
