// Bump allocator owned by one relation: its cells and value bytes live here and
// are released all at once with the relation, instead of one heap block each.
#pragma once

#include <cstddef>
#include <string_view>

class Arena {
public:
  Arena() = default;
  ~Arena();
  Arena(const Arena &) = delete;
  Arena &operator=(const Arena &) = delete;

  void *allocate(std::size_t size, std::size_t align);
  std::string_view copy(std::string_view text);

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
