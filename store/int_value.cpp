// Integer conversion without locale, errno or exceptions.
#include "store/int_value.h"

#include <limits>

std::int32_t toInt32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate the magnitude up to just past the largest int32 magnitude.
  constexpr std::int64_t cap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > cap) {
      magnitude = cap;
    }
  }
  if (negative) {
    return static_cast<std::int32_t>(-magnitude);
  }
  return static_cast<std::int32_t>(magnitude >= cap ? cap - 1 : magnitude);
}

bool isWholeNumber(std::string_view text) {
  std::size_t i = 0;
  auto blank = [&] { return i < text.size() && (text[i] == ' ' || text[i] == '\t'); };
  while (blank()) {
    ++i;
  }
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  std::size_t digits = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    ++i;
  }
  if (i == digits) {
    return false;
  }
  while (blank()) {
    ++i;
  }
  return i == text.size();
}
