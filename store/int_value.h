// Conversion of an int column's text to the number it is compared as.
#pragma once

#include <cstdint>
#include <string_view>

// Reads text as atoi does: leading white space, an optional sign, the decimal
// digits that follow; 0 without digits. Values beyond the 32-bit range
// saturate at the nearest bound.
std::int32_t toInt32(std::string_view text);

// True for a whole number as written: an optional sign and decimal digits,
// with blanks (spaces, tabs) allowed around them.
bool isWholeNumber(std::string_view text);

// Where a whole number as written (blanks, an optional sign, decimal digits,
// blanks) that starts at p ends, reading no further than end; nullptr
// without digits. For a caller that finds the number's end as it checks it,
// once for every int value read: inline.
inline const char *wholeNumberEnd(const char *p, const char *end) {
  auto blanks = [&] {
    while (p != end && (*p == ' ' || *p == '\t')) {
      ++p;
    }
  };
  blanks();
  if (p != end && (*p == '+' || *p == '-')) {
    ++p;
  }
  const char *digits = p;
  while (p != end && *p >= '0' && *p <= '9') {
    ++p;
  }
  if (p == digits) {
    return nullptr;
  }
  blanks();
  return p;
}
