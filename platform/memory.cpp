// Physical memory from sysconf where POSIX offers it, and memory given back
// by madvise.
#include "platform/memory.h"

#include <cstdint>

#if !defined(_WIN32)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

std::uintptr_t bytesPerPage() {
#if defined(_SC_PAGESIZE)
  static const long size = sysconf(_SC_PAGESIZE);
  if (size > 0) {
    return static_cast<std::uintptr_t>(size);
  }
#endif
  return 4096;
}

} // namespace

double physicalMemoryBytes() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
  long pages = sysconf(_SC_PHYS_PAGES);
  long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) {
    return static_cast<double>(pages) * static_cast<double>(pageSize);
  }
#endif
  return 0;
}

ReleaseBehind::ReleaseBehind(const void *start) {
  const auto *p = static_cast<const char *>(start);
  std::uintptr_t into = reinterpret_cast<std::uintptr_t>(p) % bytesPerPage();
  released_ = into == 0 ? p : p + (bytesPerPage() - into);
}

void ReleaseBehind::upTo(const void *end) {
  const auto *e = static_cast<const char *>(end);
  const char *boundary = e - reinterpret_cast<std::uintptr_t>(e) % bytesPerPage();
  if (boundary <= released_) {
    return;
  }
#if defined(MADV_DONTNEED) && !defined(__EMSCRIPTEN__)
  // Only a hint: pages that stay are merely not lent out.
  madvise(const_cast<char *>(released_), static_cast<std::size_t>(boundary - released_), MADV_DONTNEED);
#endif
  released_ = boundary;
}
