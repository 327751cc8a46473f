// Physical memory from sysconf where POSIX offers it.
#include "platform/memory.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

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
