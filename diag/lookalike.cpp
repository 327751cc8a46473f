// Finding invisible and look-alike characters in UTF-8 text.
#include "diag/lookalike.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace {

unsigned byteAt(std::string_view text, std::size_t at) {
  return at < text.size() ? static_cast<unsigned char>(text[at]) : 0U;
}

} // namespace

std::size_t lookalikeLength(std::string_view text, std::size_t at) {
  unsigned b0 = byteAt(text, at);
  unsigned b1 = byteAt(text, at + 1);
  unsigned b2 = byteAt(text, at + 2);
  if (b0 == 0xC2 && (b1 == 0xA0 || b1 == 0xAD)) {
    return 2; // no-break space, soft hyphen
  }
  if (b0 == 0xE2 && b1 == 0x80 && b2 >= 0x8B && b2 <= 0x8D) {
    return 3; // zero-width space, non-joiner, joiner
  }
  if (b0 == 0xE2 && ((b1 == 0x81 && b2 == 0xA0) || (b1 == 0x88 && b2 == 0x92))) {
    return 3; // word joiner, minus sign
  }
  if (b0 == 0xEF && ((b1 == 0xBB && b2 == 0xBF) || (b1 == 0xBC && b2 >= 0x81) || (b1 == 0xBD && b2 <= 0x9E))) {
    return 3; // byte order mark, fullwidth ASCII
  }
  return 0;
}

std::string codePointName(std::string_view text, std::size_t at) {
  std::size_t n = lookalikeLength(text, at);
  std::uint32_t cp = n == 2 ? ((byteAt(text, at) & 0x1FU) << 6) | (byteAt(text, at + 1) & 0x3FU)
                            : ((byteAt(text, at) & 0x0FU) << 12) | ((byteAt(text, at + 1) & 0x3FU) << 6) |
                                  (byteAt(text, at + 2) & 0x3FU);
  std::array<char, 16> buf{};
  std::snprintf(buf.data(), buf.size(), "U+%04X", static_cast<unsigned>(cp));
  return buf.data();
}

std::string firstLookalike(std::string_view text) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (lookalikeLength(text, at) != 0) {
      return codePointName(text, at);
    }
  }
  return {};
}

namespace {

constexpr std::array<std::string_view, 8> quoteMarks{"\u2018", "\u2019", "\u201A", "\u201C",
                                                     "\u201D", "\u201E", "\"",     "`"};
constexpr std::array<std::string_view, 8> quoteNames{"U+2018", "U+2019", "U+201A", "U+201C",
                                                     "U+201D", "U+201E", "\"",     "`"};

} // namespace

std::string quoteMark(std::string_view text) {
  for (std::size_t i = 0; i < quoteMarks.size(); ++i) {
    if (text.starts_with(quoteMarks[i]) || text.ends_with(quoteMarks[i])) {
      return std::string(quoteNames[i]);
    }
  }
  return {};
}

std::string_view withoutQuoteMarks(std::string_view text) {
  for (std::string_view mark : quoteMarks) {
    if (text.starts_with(mark)) {
      text.remove_prefix(mark.size());
    }
  }
  for (std::string_view mark : quoteMarks) {
    if (text.ends_with(mark)) {
      text.remove_suffix(mark.size());
    }
  }
  return text;
}
