// Test-only preload library: once TABULON_FAULT_WRITE_LIMIT bytes have gone
// to files (not to the console), every further write fails with ENOSPC, as on
// a full disk.
#include <dlfcn.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>

namespace {

long long budget() {
  static long long left = [] {
    const char *limit = std::getenv("TABULON_FAULT_WRITE_LIMIT");
    return limit != nullptr ? std::atoll(limit) : -1;
  }();
  return left;
}

long long written = 0;

// How much of size may still go out; -1 when the disk is full.
ssize_t allowance(int fd, std::size_t size) {
  long long limit = budget();
  if (fd <= 2 || limit < 0) {
    return static_cast<ssize_t>(size);
  }
  long long room = limit - written;
  if (room <= 0) {
    errno = ENOSPC;
    return -1;
  }
  return static_cast<ssize_t>(static_cast<long long>(size) < room ? static_cast<long long>(size) : room);
}

template <class F> F next(const char *name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

} // namespace

extern "C" ssize_t write(int fd, const void *data, std::size_t size) {
  static auto real = next<ssize_t (*)(int, const void *, std::size_t)>("write");
  ssize_t allowed = allowance(fd, size);
  if (allowed < 0) {
    return -1;
  }
  ssize_t n = real(fd, data, static_cast<std::size_t>(allowed));
  if (n > 0 && fd > 2) {
    written += n;
  }
  return n;
}

extern "C" ssize_t writev(int fd, const struct iovec *parts, int count) {
  static auto real = next<ssize_t (*)(int, const struct iovec *, int)>("writev");
  std::size_t total = 0;
  for (int i = 0; i < count; ++i) {
    total += parts[i].iov_len;
  }
  ssize_t allowed = allowance(fd, total);
  if (allowed < 0) {
    return -1;
  }
  if (static_cast<std::size_t>(allowed) < total) {
    // Only some of it fits: write from the first part; the caller retries the rest.
    int first = 0;
    while (first + 1 < count && parts[first].iov_len == 0) {
      ++first;
    }
    return write(fd, parts[first].iov_base, parts[first].iov_len);
  }
  ssize_t n = real(fd, parts, count);
  if (n > 0 && fd > 2) {
    written += n;
  }
  return n;
}
