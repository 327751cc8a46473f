// Buffered character source for the input file. Reads in blocks instead of a
// stream call per character, folds CR LF into one newline as text mode does,
// and knows the line and column of the character it last returned.
#pragma once

#include <array>
#include <cstddef>
#include <streambuf>
#include <string>
#include <string_view>

class CharStream {
public:
  static constexpr int end = -1;

  explicit CharStream(std::streambuf &source) : source_(&source) {}
  explicit CharStream(std::string_view text) : pos_(text.data()), limit_(text.data() + text.size()) {}

  // The next character as an unsigned byte value, or end.
  int get() {
    if (pos_ == limit_ && !refill()) {
      atEnd_ = true;
      return end;
    }
    int ch = static_cast<unsigned char>(*pos_++);
    if (ch == '\r' && consumeNewline()) {
      ch = '\n';
    }
    if (newlinePending_) {
      ++line_;
      column_ = 0;
    }
    newlinePending_ = ch == '\n';
    ++column_;
    return ch;
  }

  // Consumes what get() would return next, up to the first stop byte, line
  // end or end of the buffered block, and appends it to out: the same
  // characters and position as calling get() for each, in one step.
  void appendRun(std::string &out, char stop) {
    const char *p = pos_;
    while (p != limit_ && *p != stop && *p != '\n' && *p != '\r') {
      ++p;
    }
    if (p == pos_) {
      return;
    }
    if (newlinePending_) {
      ++line_;
      column_ = 0;
      newlinePending_ = false;
    }
    column_ += p - pos_;
    out.append(pos_, static_cast<std::size_t>(p - pos_));
    pos_ = p;
  }

  [[nodiscard]] bool atEnd() const { return atEnd_; }
  // Position of the character last returned by get().
  [[nodiscard]] long long line() const { return line_; }
  [[nodiscard]] long long column() const { return column_; }

private:
  bool refill();
  bool consumeNewline();

  std::streambuf *source_ = nullptr;
  const char *pos_ = nullptr;
  const char *limit_ = nullptr;
  bool atEnd_ = false;
  bool newlinePending_ = false;
  long long line_ = 1;
  long long column_ = 0;
  std::array<char, 1 << 16> buffer_{};
};
