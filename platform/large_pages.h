// Advice to back large, freshly reserved buffers with large pages.
#pragma once

#include <cstddef>

// Asks the system to back the whole 2 MiB pages within [data, data + bytes)
// with large pages when they are first touched: one page fault in place of
// 512. Only worth calling before the buffer is written. Does nothing where
// the system offers no such advice.
void preferLargePages(const void *data, std::size_t bytes);
