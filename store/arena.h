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
  std::size_t nextSize_ = 1024;
};
