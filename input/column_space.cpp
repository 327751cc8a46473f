// Column reservation with the platform's large-page advice.
#include "input/column_space.h"

#include "platform/large_pages.h"

#include <cstdint>

void reserveRows(Column &column, std::size_t rows) {
  column.reserve(rows);
  preferLargePages(column.offsets.data(), column.offsets.capacity() * sizeof(std::uint32_t));
  preferLargePages(column.lengths.data(), column.lengths.capacity());
}
