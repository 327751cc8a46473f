// Near names by edit distance. Only error paths call this, but a word may be
// megabytes long: candidates whose length alone rules them out are skipped,
// and long words get no suggestion at all.
#include "diag/near_name.h"

#include "diag/messages.h"

#include <algorithm>

namespace {

constexpr std::size_t longestSuggested = 64;

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t allowedEdits(std::string_view word) { return std::min<std::size_t>(2, word.size() / 3); }

} // namespace

std::size_t editDistance(std::string_view a, std::string_view b) {
  // Three rows of the distance table: two back, one back, current.
  std::vector<std::size_t> back2(b.size() + 1);
  std::vector<std::size_t> back1(b.size() + 1);
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) {
    back1[j] = j;
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t cost = folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1;
      row[j] = std::min({back1[j] + 1, row[j - 1] + 1, back1[j - 1] + cost});
      if (i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) && folded(a[i - 2]) == folded(b[j - 1])) {
        row[j] = std::min(row[j], back2[j - 2] + 1);
      }
    }
    std::swap(back2, back1);
    std::swap(back1, row);
  }
  return back1[b.size()];
}

std::string_view nearestName(std::string_view word, const std::vector<std::string_view> &candidates) {
  if (word.empty() || word.size() > longestSuggested) {
    return {};
  }
  std::size_t limit = allowedEdits(word);
  std::string_view best;
  std::size_t bestDistance = limit + 1;
  for (std::string_view c : candidates) {
    if (c == word || c.size() > word.size() + limit || c.size() + limit < word.size()) {
      continue;
    }
    std::size_t d = editDistance(word, c);
    if (d < bestDistance) {
      best = c;
      bestDistance = d;
    }
  }
  return best;
}

std::string suggestion(std::string_view word, const std::vector<std::string_view> &candidates) {
  std::string_view near = nearestName(word, candidates);
  return near.empty() ? std::string() : msg::didYouMean(near);
}
