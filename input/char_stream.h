// Character source over the input text (line ends already folded), knowing
// the line and column of the character it last returned.
#pragma once

#include <cassert>
#include <cstddef>
#include <string_view>

class CharStream {
public:
  static constexpr int end = -1;

  explicit CharStream(std::string_view text)
      : start_(text.data()), pos_(text.data()), limit_(text.data() + text.size()) {}

  // The next character as an unsigned byte value, or end.
  int get() {
    if (pos_ == limit_) {
      atEnd_ = true;
      return end;
    }
    int ch = static_cast<unsigned char>(*pos_++);
    if (newlinePending_) {
      ++line_;
      column_ = 0;
    }
    newlinePending_ = ch == '\n';
    ++column_;
    return ch;
  }

  // Consumes what get() would return next, up to the first stop byte or line
  // end: the same characters and position as calling get() for each, in one
  // step. The caller takes the text from position().
  void skipRun(char stop) {
    const char *p = pos_;
    while (p != limit_ && *p != stop && *p != '\n') {
      ++p;
    }
    advanceTo(p);
  }

  // Consumes up to p, as get() would, where no line end comes before p.
  void advanceTo(const char *p) {
    if (p == pos_) {
      return;
    }
    if (newlinePending_) {
      ++line_;
      column_ = 0;
      newlinePending_ = false;
    }
    column_ += p - pos_;
    pos_ = p;
  }

  // Consumes up to p, just after a line end, where lines (at least 1) line
  // ends lie before p: the same position, line and column as get() for each
  // character would leave. The reader takes a run of rows at once so.
  void advanceOverLines(const char *p, long long lines) {
    assert(lines > 0 && p > pos_ && p[-1] == '\n');
    const char *lastEnd = p - 1;
    if (lines == 1) {
      if (newlinePending_) {
        ++line_;
        column_ = 0;
      }
      column_ += lastEnd - pos_ + 1;
    } else {
      const char *lineStart = lastEnd;
      while (lineStart[-1] != '\n') {
        --lineStart;
      }
      line_ += (newlinePending_ ? 1 : 0) + lines - 1;
      column_ = lastEnd - lineStart + 1;
    }
    newlinePending_ = true;
    pos_ = p;
  }

  // Where the next get() reads from.
  [[nodiscard]] const char *position() const { return pos_; }
  // The whole text, from its first character.
  [[nodiscard]] std::string_view whole() const { return {start_, static_cast<std::size_t>(limit_ - start_)}; }
  // The text from here to the end.
  [[nodiscard]] std::string_view rest() const { return {pos_, static_cast<std::size_t>(limit_ - pos_)}; }

  [[nodiscard]] bool atEnd() const { return atEnd_; }
  // True when the next get() reads the first character of a line.
  [[nodiscard]] bool atLineStart() const { return pos_ == start_ || pos_[-1] == '\n'; }
  // Position of the character last returned by get().
  [[nodiscard]] long long line() const { return line_; }
  [[nodiscard]] long long column() const { return column_; }

private:
  const char *start_ = nullptr;
  const char *pos_ = nullptr;
  const char *limit_ = nullptr;
  bool atEnd_ = false;
  bool newlinePending_ = false;
  long long line_ = 1;
  long long column_ = 0;
};
