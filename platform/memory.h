// What the machine has of memory, for budgets that refuse a result which
// could never fit.
#pragma once

// The physical memory in bytes, or 0 where the platform cannot tell.
double physicalMemoryBytes();

#include <cstddef>

// Memory read from its start on, once: the whole pages behind the reading go
// back to the system, which lends them to what is built meanwhile. A page
// given back reads as zeros. Nothing is given back where the platform has no
// call for it.
class ReleaseBehind {
public:
  explicit ReleaseBehind(const void *start);
  // Nothing before end is read any more.
  void upTo(const void *end);

private:
  const char *released_; // the page boundary up to which all went back
};
