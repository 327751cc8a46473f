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
  auto escape = [&out](unsigned char byte) {
    out += "\\x";
    out += hex[byte >> 4U];
    out += hex[byte & 0x0FU];
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : static_cast<unsigned char>(0);
    if ((byte < 0x20U && byte != '\t') || byte == 0x7FU) {
      escape(byte);
    } else if (byte == 0xC2U && next >= 0x80U && next <= 0x9FU) { // a C1 control as UTF-8
      escape(byte);
      escape(next);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}
