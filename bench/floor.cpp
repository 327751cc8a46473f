// The least work a run can do on run.py's rename input, as a floor to time
// tabulon against: read the file whole, find every value in one pass with no
// checks, keep each as an offset and a length per column, then write the
// file and the values again. Its output equals tabulon's byte for byte.
//   c++ -O2 -std=c++20 bench/floor.cpp -o /tmp/floor
//   /tmp/floor /tmp/bench-data/1000000/rename/input.txt /tmp/floor-out.txt
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t columns = 4;

const char *next(const char *p, const char *end, char c) {
  const void *found = std::memchr(p, c, static_cast<std::size_t>(end - p));
  return found != nullptr ? static_cast<const char *>(found) : end;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: floor rename-input output\n");
    return 2;
  }
  std::FILE *in = std::fopen(argv[1], "rb");
  if (in == nullptr || std::fseek(in, 0, SEEK_END) != 0) {
    return 1;
  }
  std::string text(static_cast<std::size_t>(std::ftell(in)), '\0');
  std::rewind(in);
  if (std::fread(text.data(), 1, text.size(), in) != text.size()) {
    return 1;
  }
  std::fclose(in);
  const char *p = text.data();
  const char *end = p + text.size();
  for (int line = 0; line < 3; ++line) { // the command, a blank line, the header
    p = next(p, end, '\n') + 1;
  }
  std::array<std::vector<std::uint32_t>, columns> offsets;
  std::array<std::vector<std::uint8_t>, columns> lengths;
  for (std::size_t c = 0; c < columns; ++c) {
    offsets[c].reserve(text.size() / 30);
    lengths[c].reserve(text.size() / 30);
  }
  while (p < end && *p != '\n') {
    const char *eol = next(p, end, '\n');
    for (std::size_t c = 0; c < columns; ++c) {
      const char *e = c + 1 < columns ? next(p, eol, ',') : eol;
      offsets[c].push_back(static_cast<std::uint32_t>(p - text.data()));
      lengths[c].push_back(static_cast<std::uint8_t>(e - p));
      p = e + 1;
    }
  }
  std::FILE *out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    return 1;
  }
  std::fwrite(text.data(), 1, text.size(), out);
  const char header[] = "S(a int, b char(20), c int, d int)\n";
  std::fwrite(header, 1, sizeof header - 1, out);
  std::vector<char> block(std::size_t{1} << 16);
  std::size_t used = 0;
  for (std::size_t r = 0; r < offsets[0].size(); ++r) {
    if (used + columns * 256 > block.size()) {
      std::fwrite(block.data(), 1, used, out);
      used = 0;
    }
    for (std::size_t c = 0; c < columns; ++c) {
      std::memcpy(block.data() + used, text.data() + offsets[c][r], lengths[c][r]);
      used += lengths[c][r];
      block[used++] = c + 1 < columns ? ',' : '\n';
    }
  }
  std::fwrite(block.data(), 1, used, out);
  std::fputc('\n', out);
  return std::fclose(out) == 0 ? 0 : 1;
}
