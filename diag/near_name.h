// Near-name suggestions for misspelt words: operators, conditions, relation
// and column names, column types.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Edit distance with letter case ignored and a swap of two neighbouring
// characters counted as one edit.
std::size_t editDistance(std::string_view a, std::string_view b);

// The candidate nearest to word, when it is near enough to be what was meant:
// equal but for letter case, or at most 2 edits and a third of word's length
// away. Empty when none is; the first of equally near candidates wins.
std::string_view nearestName(std::string_view word, const std::vector<std::string_view> &candidates);

// " Erre gondoltal: X?" for the nearest candidate X, or empty.
std::string suggestion(std::string_view word, const std::vector<std::string_view> &candidates);
