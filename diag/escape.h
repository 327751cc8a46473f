// Arbitrary bytes shown as text, one character at a time: a well-formed
// UTF-8 sequence or a printable ASCII byte as it stands, any other byte (a
// control byte, DEL, a byte of no well-formed sequence) escaped as the form
// at hand writes escapes. The error lines and the explanation's forms share
// the reading; each form keeps its own escapes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The length of the well-formed UTF-8 sequence at text[at], or 0 when the
// byte there does not begin one (ASCII counts, length 1).
std::size_t utf8Length(std::string_view text, std::size_t at);

// Calls each(piece, printable) for the characters of text in order, as long
// as it returns true. A printable piece is a whole UTF-8 sequence other than
// a control byte or DEL; any other piece is one byte.
template <class Each> void forEachCharacter(std::string_view text, Each each) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = utf8Length(text, i);
    auto byte = static_cast<unsigned char>(text[i]);
    bool printable = n > 1 || (n == 1 && byte >= 0x20 && byte != 0x7F);
    if (!printable) {
      n = 1;
    }
    if (!each(text.substr(i, n), printable)) {
      return;
    }
    i += n;
  }
}

// A C1 control (U+0080 to U+009F) written as UTF-8: a well-formed sequence
// that a terminal still takes for a control.
inline bool isC1Control(std::string_view c) {
  return c.size() == 2 && static_cast<unsigned char>(c[0]) == 0xC2 && static_cast<unsigned char>(c[1]) <= 0x9F;
}

// prefix, then byte as two upper-case hex digits: "\\x" gives \x1B.
std::string hexEscape(std::string_view prefix, char byte);

// \n, \t or \r for those bytes; empty for any other.
std::string_view namedEscape(char byte);
