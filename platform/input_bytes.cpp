// The input file read whole into memory. It is not mapped: a mapped file that
// another process truncates while the run reads it (an editor saving in place)
// would kill the run with a bus error instead of giving an answer.
#include "platform/input_bytes.h"

#include "platform/files.h"

#include <cassert>

bool InputBytes::load(const std::string &path) {
  ReadOutcome outcome = readFileInto(path, bytes_, inputByteLimit());
  overLimit_ = outcome == ReadOutcome::overLimit;
  if (overLimit_) {
    bytes_ = FileBytes(); // its memory back at once
  }
  return outcome == ReadOutcome::read;
}

std::string_view InputBytes::view() const {
  return bytes_.block ? std::string_view(bytes_.block.get(), bytes_.blockSize) : std::string_view(bytes_.text);
}

char *InputBytes::data() { return bytes_.block ? bytes_.block.get() : bytes_.text.data(); }

void InputBytes::shorten(std::size_t size) {
  assert(size <= view().size() && "bytes are only let go");
  if (bytes_.block) {
    bytes_.blockSize = size;
  } else {
    bytes_.text.resize(size);
  }
}
