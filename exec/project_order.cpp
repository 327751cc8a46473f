// Stable sort of row numbers, then one pass keeping the first of each run of
// equal rows. Int columns are converted once, not at every comparison.
#include "exec/project_order.h"

#include "exec/int_value.h"

#include <algorithm>
#include <numeric>

namespace {

class RowOrder {
public:
  explicit RowOrder(const ProjectionInput &input) : input_(input) {
    numbers_.resize(input.widths.size());
    for (std::size_t c = 0; c < input.widths.size(); ++c) {
      if (input.widths[c] == 0) {
        for (std::string_view v : input.values[c]) {
          numbers_[c].push_back(toInt32(v));
        }
      }
    }
  }

  [[nodiscard]] int compare(std::size_t x, std::size_t y) const {
    for (std::size_t c = 0; c < input_.widths.size(); ++c) {
      if (input_.widths[c] == 0) {
        std::int32_t a = numbers_[c][x];
        std::int32_t b = numbers_[c][y];
        if (a != b) {
          return a < b ? -1 : 1;
        }
      } else {
        int r = input_.values[c][x].compare(input_.values[c][y]);
        if (r != 0) {
          return r < 0 ? -1 : 1;
        }
      }
    }
    return 0;
  }

private:
  const ProjectionInput &input_;
  std::vector<std::vector<std::int32_t>> numbers_;
};

} // namespace

std::vector<std::size_t> projectionOrder(const ProjectionInput &input) {
  std::size_t rows = input.values.empty() ? 0 : input.values.front().size();
  std::vector<std::size_t> order(rows);
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (rows < 2) {
    return order;
  }
  RowOrder rowOrder(input);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t x, std::size_t y) { return rowOrder.compare(x, y) < 0; });
  auto last = std::unique(order.begin(), order.end(),
                          [&](std::size_t x, std::size_t y) { return rowOrder.compare(x, y) == 0; });
  order.erase(last, order.end());
  return order;
}
