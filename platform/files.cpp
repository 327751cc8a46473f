// Whole-file reads in large blocks, so that the input is read exactly once.
#include "platform/files.h"

#include "platform/memory.h"
#include "platform/native_path.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr std::size_t largestRead = std::size_t{1} << 26;
constexpr std::size_t blockSize = std::size_t{1} << 20;

#ifndef _WIN32
class Opened {
public:
  explicit Opened(const std::string &path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~Opened() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  Opened(const Opened &) = delete;
  Opened &operator=(const Opened &) = delete;
  [[nodiscard]] int fd() const { return fd_; }

private:
  int fd_;
};

// Reads up to size bytes into data; the count read, or -1 on an error.
ssize_t readSome(int fd, char *data, std::size_t size) {
  for (;;) {
    ssize_t got = read(fd, data, std::min(size, largestRead));
    if (got >= 0 || errno != EINTR) {
      return got;
    }
  }
}
#endif

} // namespace

std::size_t inputByteLimit() {
  double limit = 16.0 * 1024 * 1024 * 1024;
  double physical = physicalMemoryBytes();
  return static_cast<std::size_t>(physical > 0 ? std::min(limit, physical) : limit);
}

#ifndef _WIN32
ReadOutcome readWholeFile(const std::string &path, std::string &bytes, std::size_t limit) {
  Opened in(path);
  struct stat status {};
  if (in.fd() < 0 || fstat(in.fd(), &status) != 0 || S_ISDIR(status.st_mode)) {
    return ReadOutcome::failed;
  }
  std::size_t start = bytes.size();
  bool regular = S_ISREG(status.st_mode);
  // A regular file is read straight into place, as many bytes as its size;
  // what a pipe gives, or a file that grew meanwhile, follows in blocks.
  if (regular && status.st_size > 0) {
    auto size = static_cast<std::size_t>(status.st_size);
    bytes.resize(start + size);
    std::size_t filled = 0;
    while (filled < size) {
      ssize_t got = readSome(in.fd(), bytes.data() + start + filled, size - filled);
      if (got < 0) {
        return ReadOutcome::failed;
      }
      if (got == 0) {
        break; // cut short meanwhile
      }
      filled += static_cast<std::size_t>(got);
    }
    bytes.resize(start + filled);
  }
  std::vector<char> block(blockSize);
  for (;;) {
    ssize_t got = readSome(in.fd(), block.data(), block.size());
    if (got < 0) {
      return ReadOutcome::failed;
    }
    if (got == 0) {
      return ReadOutcome::read;
    }
    bytes.append(block.data(), static_cast<std::size_t>(got));
    if (!regular && bytes.size() - start > limit) {
      return ReadOutcome::overLimit;
    }
  }
}
#else
ReadOutcome readWholeFile(const std::string &path, std::string &bytes, std::size_t limit) {
  std::error_code ignored;
  // A folder opens as a stream on some systems and then reads as empty.
  if (std::filesystem::is_directory(nativePath(path), ignored)) {
    return ReadOutcome::failed;
  }
  std::ifstream in(nativePath(path), std::ios::binary);
  if (!in.is_open()) {
    return ReadOutcome::failed;
  }
  // A regular file is read straight into place, as many bytes as its size,
  // in reads small enough for any system's read call; what a pipe gives, or
  // a file that grew meanwhile, follows in blocks.
  bool regular = std::filesystem::is_regular_file(nativePath(path), ignored);
  std::size_t start = bytes.size();
  auto size = std::filesystem::file_size(nativePath(path), ignored);
  if (!ignored && size > 0) {
    std::size_t filled = 0;
    bytes.resize(start + static_cast<std::size_t>(size));
    while (filled < size && in) {
      std::size_t want = std::min(static_cast<std::size_t>(size) - filled, largestRead);
      in.read(bytes.data() + start + filled, static_cast<std::streamsize>(want));
      filled += static_cast<std::size_t>(in.gcount());
    }
    bytes.resize(start + filled);
  }
  std::vector<char> block(blockSize);
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    bytes.append(block.data(), static_cast<std::size_t>(in.gcount()));
    if (!regular && bytes.size() - start > limit) {
      return ReadOutcome::overLimit;
    }
  }
  return in.bad() ? ReadOutcome::failed : ReadOutcome::read;
}
#endif
