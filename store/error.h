// The program's two exception types. InputError is a malformed input, with the
// place in the input file that it concerns (0 where unknown); InternalError is
// a fault of the program itself, which no input should be blamed for.
#pragma once

#include <stdexcept>
#include <string>

class InputError : public std::runtime_error {
public:
  InputError(const std::string &message, long long line = 0, long long column = 0)
      : std::runtime_error(message), message_(message), line_(line), column_(column) {}
  // The whole message: what() ends at the first NUL byte a name may hold.
  [[nodiscard]] const std::string &message() const { return message_; }
  [[nodiscard]] long long line() const { return line_; }
  [[nodiscard]] long long column() const { return column_; }

private:
  std::string message_;
  long long line_;
  long long column_;
};

// A result past the memory that the run may use: nothing in the input is
// wrong, but the run cannot go on; the only error evaluation may end with.
class ResultTooLarge : public InputError {
public:
  using InputError::InputError;
};

// A broken invariant that release builds still check, where going on would
// give a wrong result rather than a crash; asserts cover the rest.
class InternalError : public std::logic_error {
public:
  using std::logic_error::logic_error;
};
