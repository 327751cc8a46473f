// CR LF folding of the input text, done once after reading.
#include "input/line_ends.h"

#include <cstring>

std::size_t foldLineEnds(char *text, std::size_t size) {
  char *begin = text;
  char *end = begin + size;
  auto *cr = static_cast<char *>(std::memchr(begin, '\r', size));
  if (cr == nullptr) {
    return size;
  }
  // A file with no LF at all ends its lines with CR alone, as old Mac
  // editors did; in a file with LFs a lone CR stays data.
  if (std::memchr(begin, '\n', size) == nullptr) {
    for (char *r = cr; r < end; ++r) {
      *r = *r == '\r' ? '\n' : *r;
    }
    return size;
  }
  char *w = cr;
  for (char *r = cr; r < end; ++r) {
    if (*r == '\r' && r + 1 < end && r[1] == '\n') {
      continue;
    }
    *w++ = *r;
  }
  return static_cast<std::size_t>(w - begin);
}
