// The UTF-8 reading and the escapes that every form of shown text shares.
#include "diag/escape.h"

std::size_t utf8Length(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0U; };
  unsigned lead = byte(at);
  if (lead < 0x80) {
    return 1;
  }
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  // The second byte's range excludes overlong forms, surrogates and code
  // points beyond U+10FFFF.
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    unsigned b = byte(at + i);
    if (b < (i == 1 ? low : 0x80U) || b > (i == 1 ? high : 0xBFU)) {
      return 0;
    }
  }
  return length;
}

std::string hexEscape(std::string_view prefix, char byte) {
  static constexpr std::string_view digits = "0123456789ABCDEF";
  auto value = static_cast<unsigned char>(byte);
  std::string escape(prefix);
  escape += digits[value >> 4U];
  escape += digits[value & 0x0FU];
  return escape;
}

std::string_view namedEscape(char byte) {
  switch (byte) {
  case '\n':
    return "\\n";
  case '\t':
    return "\\t";
  case '\r':
    return "\\r";
  default:
    return {};
  }
}
