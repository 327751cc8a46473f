// Blanks, the spaces and tabs that may stand around names, types and values
// on a line of the input.
#pragma once

#include <string_view>

inline bool isBlank(int ch) { return ch == ' ' || ch == '\t'; }

// s without the blanks at either end.
inline std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && isBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}
