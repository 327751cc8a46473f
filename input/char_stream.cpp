// Block refills of the character source.
#include "input/char_stream.h"

bool CharStream::refill() {
  if (source_ == nullptr) {
    return false;
  }
  std::streamsize n = source_->sgetn(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  if (n <= 0) {
    return false;
  }
  pos_ = buffer_.data();
  limit_ = buffer_.data() + n;
  return true;
}

bool CharStream::consumeNewline() {
  if (pos_ == limit_) {
    // A CR that ends a block: look into the source before deciding.
    if (source_ == nullptr || source_->sgetc() != '\n') {
      return false;
    }
    source_->sbumpc();
    return true;
  }
  if (*pos_ != '\n') {
    return false;
  }
  ++pos_;
  return true;
}
