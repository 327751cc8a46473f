// Large-page advice through madvise where Linux offers it. A relation of a
// million rows fills tens of MB that the kernel would otherwise fault in and
// clear 4 KiB at a time; that was about a third of a run's system time.
#include "platform/large_pages.h"

#if defined(__linux__)
#include <sys/mman.h>

#include <cstdint>
#endif

void preferLargePages(const void *data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t large = std::uintptr_t{1} << 21;
  auto begin = (reinterpret_cast<std::uintptr_t>(data) + large - 1) & ~(large - 1);
  auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(large - 1);
  if (data != nullptr && begin < end) {
    // Advice only: a kernel without large pages refuses it, and nothing changes.
    (void)madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
  }
#else
  (void)data;
  (void)bytes;
#endif
}
