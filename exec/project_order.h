// The row order of a projection, apart from the relation records so that it
// can be checked against the bubble passes that define it.
#pragma once

#include "store/table.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// The values are read through value(column, row), one column at a time, so
// that no copy of a relation's views is made for the sort.
struct ProjectionInput {
  std::vector<std::int32_t> widths; // per column
  std::size_t rows = 0;
  std::function<std::string_view(std::size_t, std::size_t)> value;
  // Where given, the values are read from these, one per column, row by row,
  // without a call through value.
  std::vector<const Column *> columns;
};

// The rows to keep, in output order: ascending by the row comparison, and of
// each group of equal rows only the first in input order.
std::vector<std::size_t> projectionOrder(const ProjectionInput &input);

// The least rows that a part of a projection read on a thread of its own
// takes; small in tests, to share small inputs.
void setProjectionPartRows(std::size_t rows);
