// The row reader's fast path, shared with the reading of rows on several
// threads: a row that the character loop would store with no word said.
#pragma once

#include "store/table.h"

#include <string_view>
#include <vector>

// The values of the row that starts at row and ends at the line end at nl,
// as the character loop would read them, when it is a plain row (defined in
// reader.cpp); values has one place per column.
bool plainRow(const char *row, const char *nl, const std::vector<Column *> &columns,
              std::vector<std::string_view> &values);
