// Whole-file reads in large blocks, so that the input is read exactly once.
#include "platform/files.h"

#include "platform/memory.h"
#include "platform/native_path.h"
#include "platform/threads.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
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
namespace {

// readWholeFile's reading, from the open file's current place.
ReadOutcome readFrom(int fd, const struct stat &status, std::string &bytes, std::size_t limit) {
  std::size_t start = bytes.size();
  bool regular = S_ISREG(status.st_mode);
  // A regular file is read straight into place, as many bytes as its size;
  // what a pipe gives, or a file that grew meanwhile, follows in blocks.
  if (regular && status.st_size > 0) {
    auto size = static_cast<std::size_t>(status.st_size);
    bytes.resize(start + size);
    std::size_t filled = 0;
    while (filled < size) {
      ssize_t got = readSome(fd, bytes.data() + start + filled, size - filled);
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
    ssize_t got = readSome(fd, block.data(), block.size());
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

// Reads [first, last) of the file at its own offsets; false unless all of it
// was there. Each piece is looked through for a CR while it is still in the
// cache; sawCr is set if one is there.
bool readPart(int fd, char *into, std::size_t first, std::size_t last, bool &sawCr) {
  constexpr std::size_t piece = std::size_t{1} << 20;
  while (first < last) {
    ssize_t got = pread(fd, into + first, std::min(last - first, piece), static_cast<off_t>(first));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    sawCr = sawCr || std::memchr(into + first, '\r', static_cast<std::size_t>(got)) != nullptr;
    first += static_cast<std::size_t>(got);
  }
  return true;
}

// A regular file read in parts at once into a block that is not zeroed
// first: both halves of the work, touching the new memory and copying into
// it, are spread over the threads. False, with nothing kept, when the file
// did not have exactly its size throughout.
bool readRegular(int fd, std::size_t size, FileBytes &bytes) {
  // Parts of a few MB, taken by whichever thread is free: one thread's reads
  // may go slower than another's.
  constexpr std::size_t partBytes = std::size_t{1} << 23;
  // new char[] leaves the bytes as they are, which make_unique would zero.
  std::unique_ptr<char[]> block(new char[size]);
  std::size_t parts = parallelism() == 1 ? 1 : (size + partBytes - 1) / partBytes;
  std::vector<char> whole(parts, 0);
  std::vector<char> sawCr(parts, 0);
  runParts(parts, [&](std::size_t p) {
    RowRange range = partOf(size, parts, p);
    bool cr = false;
    whole[p] = readPart(fd, block.get(), range.first, range.last, cr) ? 1 : 0;
    sawCr[p] = cr ? 1 : 0;
  });
  char past = 0;
  if (std::find(whole.begin(), whole.end(), 0) != whole.end() || pread(fd, &past, 1, static_cast<off_t>(size)) != 0) {
    return false;
  }
  bytes.block = std::move(block);
  bytes.blockSize = size;
  bytes.withoutCr = std::find(sawCr.begin(), sawCr.end(), 1) == sawCr.end();
  return true;
}

} // namespace

ReadOutcome readWholeFile(const std::string &path, std::string &bytes, std::size_t limit) {
  Opened in(path);
  struct stat status {};
  if (in.fd() < 0 || fstat(in.fd(), &status) != 0 || S_ISDIR(status.st_mode)) {
    return ReadOutcome::failed;
  }
  return readFrom(in.fd(), status, bytes, limit);
}

ReadOutcome readFileInto(const std::string &path, FileBytes &bytes, std::size_t limit) {
  Opened in(path);
  struct stat status {};
  if (in.fd() < 0 || fstat(in.fd(), &status) != 0 || S_ISDIR(status.st_mode)) {
    return ReadOutcome::failed;
  }
  if (S_ISREG(status.st_mode) && status.st_size > 0 &&
      readRegular(in.fd(), static_cast<std::size_t>(status.st_size), bytes)) {
    return ReadOutcome::read;
  }
  // Anything else, or a file that changed while read: as a stream, from the
  // start (the parts' reads left the file's offset there).
  return readFrom(in.fd(), status, bytes.text, limit);
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

ReadOutcome readFileInto(const std::string &path, FileBytes &bytes, std::size_t limit) {
  return readWholeFile(path, bytes.text, limit);
}
#endif
