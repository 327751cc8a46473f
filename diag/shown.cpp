// How names and control bytes appear in error lines.
#include "diag/shown.h"

#include "diag/escape.h"
#include "diag/lookalike.h"

namespace {

constexpr std::size_t shownBytes = 80;

bool continuesSequence(char byte) { return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U; }

} // namespace

// Invisible and look-alike characters as <U+00A0>, so that a name that
// looks like another one shows why it is not.
std::string withLookalikesNamed(std::string_view name) {
  std::string out;
  for (std::size_t at = 0; at < name.size();) {
    if (std::size_t n = lookalikeLength(name, at); n != 0) {
      out += '<';
      out += codePointName(name, at);
      out += '>';
      at += n;
    } else {
      out.push_back(name[at++]);
    }
  }
  return out;
}

std::string shownName(std::string_view name) {
  if (name.size() <= shownBytes) {
    return withLookalikesNamed(name);
  }
  std::size_t cut = shownBytes;
  while (cut > 0 && continuesSequence(name[cut])) {
    --cut;
  }
  return withLookalikesNamed(name.substr(0, cut)) + "...";
}

std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  forEachCharacter(text, [&](std::string_view c, bool isPrintable) {
    auto byte = static_cast<unsigned char>(c[0]);
    if (isC1Control(c)) {
      out += hexEscape("\\x", c[0]) + hexEscape("\\x", c[1]);
    } else if (isPrintable || byte == '\t' || (byte >= 0x20U && byte != 0x7FU)) {
      out += c; // bytes of no UTF-8 sequence send the terminal no control
    } else {
      out += hexEscape("\\x", c[0]);
    }
    return true;
  });
  return out;
}
