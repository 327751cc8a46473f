// Integer conversion without locale, errno or exceptions.
#include "store/int_value.h"

#include <limits>

std::int32_t toInt32(std::string_view text) {
  const char *p = text.data();
  const char *end = p + text.size();
  while (p != end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) {
    ++p;
  }
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  // Nine digits cannot overflow; only a longer number needs the cap, which
  // stops the magnitude just past the largest int32 magnitude.
  constexpr std::int64_t cap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  const char *fast = end - p > 9 ? p + 9 : end;
  for (; p != fast && static_cast<unsigned char>(*p - '0') <= 9; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
  }
  for (; p != end && *p >= '0' && *p <= '9'; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
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
  const char *end = text.data() + text.size();
  return wholeNumberEnd(text.data(), end) == end;
}
