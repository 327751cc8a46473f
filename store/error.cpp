// How names and control bytes appear in error lines.
#include "store/error.h"

namespace {

constexpr std::size_t shownBytes = 80;

bool continuesSequence(char byte) { return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U; }

} // namespace

std::string shownName(std::string_view name) {
  if (name.size() <= shownBytes) {
    return std::string(name);
  }
  std::size_t cut = shownBytes;
  while (cut > 0 && continuesSequence(name[cut])) {
    --cut;
  }
  return std::string(name.substr(0, cut)) + "...";
}

std::string printable(std::string_view text) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20U || byte == 0x7FU) {
      out += "\\x";
      out += hex[byte >> 4U];
      out += hex[byte & 0x0FU];
    } else {
      out += c;
    }
  }
  return out;
}
