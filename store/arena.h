// Bump allocator owned by one relation: its cells and value bytes live here and
// are released all at once with the relation, instead of one heap block each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

class Arena {
public:
  Arena() = default;
  ~Arena();
  Arena(const Arena &) = delete;
  Arena &operator=(const Arena &) = delete;

  // align must be a power of two. Inline, since every cell comes through here.
  void *allocate(std::size_t size, std::size_t align) {
    if (pos_ != nullptr) {
      std::size_t pad = (0 - reinterpret_cast<std::uintptr_t>(pos_)) & (align - 1);
      auto room = static_cast<std::size_t>(end_ - pos_);
      if (size <= room && pad <= room - size) {
        char *result = pos_ + pad;
        pos_ = result + size;
        return result;
      }
    }
    return allocateChunk(size, align);
  }

  std::string_view copy(std::string_view text);

  // A trivially destructible T constructed in the arena, which owns it.
  template <class T, class... Args> T *make(Args &&...args) {
    static_assert(std::is_trivially_destructible_v<T>, "the arena runs no destructors");
    // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): the arena owns its memory
    return new (allocate(sizeof(T), alignof(T))) T{std::forward<Args>(args)...};
  }
  // As make, with extra bytes right after the object; they start at
  // reinterpret_cast<char *>(object) + sizeof(T).
  template <class T, class... Args> T *makeWithTail(std::size_t extra, Args &&...args) {
    static_assert(std::is_trivially_destructible_v<T>, "the arena runs no destructors");
    // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): the arena owns its memory
    return new (allocate(sizeof(T) + extra, alignof(T))) T{std::forward<Args>(args)...};
  }

private:
  struct Chunk {
    Chunk *prev;
  };
  void *allocateChunk(std::size_t size, std::size_t align);

  Chunk *chunks_ = nullptr;
  char *pos_ = nullptr;
  char *end_ = nullptr;
  // Small, since deep commands build one relation per operator; at least four
  // cells' worth, or every cell would count as oversized and get its own chunk.
  std::size_t nextSize_ = 256;
};
