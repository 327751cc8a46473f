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
