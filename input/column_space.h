// Room for a column's values, reserved before they are appended.
#pragma once

#include "store/table.h"

#include <cstddef>

// Reserves room for rows values, on large pages where those are offered: a
// column of a million rows is then faulted in a few pages at a time instead
// of thousands.
void reserveRows(Column &column, std::size_t rows);
