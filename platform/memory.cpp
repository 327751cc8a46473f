// Physical memory from sysconf where POSIX offers it, and memory given back
// by madvise.
#include "platform/memory.h"

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
  std::uintptr_t page = bytesPerPage();
  released_ = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
}

void ReleaseBehind::upTo(const void *end) {
  std::uintptr_t page = bytesPerPage();
  std::uintptr_t boundary = reinterpret_cast<std::uintptr_t>(end) / page * page;
  if (boundary <= released_) {
    return;
  }
#if defined(MADV_DONTNEED) && !defined(__EMSCRIPTEN__)
  // Only a hint: pages that stay are merely not lent out.
  madvise(reinterpret_cast<void *>(released_), boundary - released_, MADV_DONTNEED);
#endif
  released_ = boundary;
}
