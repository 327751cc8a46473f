// The type of a column as the header declares it: int (or integer) and
// char(n) are known; anything else stops the run.
#pragma once

#include <cstdint>
#include <string_view>

// The width for the type text of one column entry: 0 for int, n for char(n).
// The text runs from the type to the entry's ',' or line end, so the last
// entry's also holds the list's ')'. Blanks may stand around the type and
// inside char( n ). An error at line and column, where the text starts, for
// any other type; column is the entry's name, for a missing type.
std::int32_t columnWidth(std::string_view text, std::string_view column, long long line, long long position);
