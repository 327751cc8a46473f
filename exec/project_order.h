// The row order of a projection, apart from the relation records so that it
// can be checked against the bubble passes that define it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct ProjectionInput {
  std::vector<std::int32_t> widths;                  // per column
  std::vector<std::vector<std::string_view>> values; // per column, per row
};

// The rows to keep, in output order: ascending by the row comparison, and of
// each group of equal rows only the first in input order.
std::vector<std::size_t> projectionOrder(const ProjectionInput &input);
