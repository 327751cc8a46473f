// The input file read whole into memory. It is not mapped: a mapped file that
// another process truncates while the run reads it (an editor saving in place)
// would kill the run with a bus error instead of giving an answer.
#include "platform/input_bytes.h"

#include "platform/files.h"

bool InputBytes::load(const std::string &path) {
  ReadOutcome outcome = readWholeFile(path, owned_, inputByteLimit());
  overLimit_ = outcome == ReadOutcome::overLimit;
  if (overLimit_) {
    owned_ = std::string(); // its memory back at once
  }
  return outcome == ReadOutcome::read;
}

std::string_view InputBytes::view() const { return owned_; }

std::string &InputBytes::owned() { return owned_; }
