// Arena chunks grow geometrically so that a relation of n values costs
// O(log n) system allocations; oversized requests get a chunk of their own.
#include "store/arena.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr std::size_t maxChunk = std::size_t{1} << 20;
constexpr std::size_t headerSize = 16; // keeps chunk payloads 16-byte aligned

char *alignUp(char *p, std::size_t align) {
  std::size_t misalignment = reinterpret_cast<std::uintptr_t>(p) % align;
  return misalignment == 0 ? p : p + (align - misalignment);
}
} // namespace

Arena::~Arena() {
  while (chunks_ != nullptr) {
    Chunk *prev = chunks_->prev;
    // NOLINTNEXTLINE(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory): chunks are the arena's own
    std::free(chunks_);
    chunks_ = prev;
  }
}

void *Arena::allocateChunk(std::size_t size, std::size_t align) {
  std::size_t payload = size + align;
  bool dedicated = payload > nextSize_ / 4;
  std::size_t chunkSize = dedicated ? payload : nextSize_;
  if (chunkSize > SIZE_MAX - headerSize) {
    throw std::bad_alloc();
  }
  // NOLINTNEXTLINE(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory): freed by the destructor
  auto *raw = static_cast<char *>(std::malloc(headerSize + chunkSize));
  if (raw == nullptr) {
    throw std::bad_alloc();
  }
  auto *chunk = reinterpret_cast<Chunk *>(raw);
  chunk->prev = chunks_;
  chunks_ = chunk;
  char *start = raw + headerSize;
  char *result = alignUp(start, align);
  if (!dedicated) {
    pos_ = result + size;
    end_ = start + chunkSize;
    if (nextSize_ < maxChunk) {
      nextSize_ *= 2;
    }
  }
  return result;
}

std::string_view Arena::copy(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  auto *p = static_cast<char *>(allocate(text.size(), 1));
  std::memcpy(p, text.data(), text.size());
  return {p, text.size()};
}
