// The one exception type of the program: a malformed input, with the place in
// the input file that it concerns (0 where unknown).
#pragma once

#include <stdexcept>
#include <string>

class InputError : public std::runtime_error {
public:
  InputError(const std::string &message, long long line = 0, long long column = 0)
      : std::runtime_error(message), message_(message), line_(line), column_(column) {}
  // The whole message: what() ends at a NUL byte, which a name may hold.
  [[nodiscard]] const std::string &message() const { return message_; }
  [[nodiscard]] long long line() const { return line_; }
  [[nodiscard]] long long column() const { return column_; }

private:
  std::string message_;
  long long line_;
  long long column_;
};
