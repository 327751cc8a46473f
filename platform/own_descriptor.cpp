// Telling a name of one of the program's own descriptors from a file's name.
// Reopening such a name would reach the file behind the descriptor (and empty
// it, or fail for a pipe) instead of writing where the descriptor stands.
#include "platform/own_descriptor.h"

#ifdef _WIN32
int ownDescriptor(std::string_view /*path*/) { return -1; }
#else
#include <charconv>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The number after prefix when path is prefix followed by digits only.
int numberAfter(std::string_view path, std::string_view prefix) {
  if (!path.starts_with(prefix) || path.size() == prefix.size()) {
    return -1;
  }
  std::string_view digits = path.substr(prefix.size());
  int n = -1;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  return ec == std::errc{} && end == digits.data() + digits.size() ? n : -1;
}

} // namespace

int ownDescriptor(std::string_view path) {
  int fd = -1;
  if (path == "/dev/stdin") {
    fd = STDIN_FILENO;
  } else if (path == "/dev/stdout") {
    fd = STDOUT_FILENO;
  } else if (path == "/dev/stderr") {
    fd = STDERR_FILENO;
  } else if (fd = numberAfter(path, "/dev/fd/"); fd < 0) {
    if (fd = numberAfter(path, "/proc/self/fd/"); fd < 0) {
      fd = numberAfter(path, "/proc/" + std::to_string(getpid()) + "/fd/");
    }
  }
  return fd >= 0 && fcntl(fd, F_GETFD) != -1 ? fd : -1;
}
#endif
