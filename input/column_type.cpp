// Column types. A type that is not known used to be read as a number, so
// that varchar(10) made an int column and its texts all read as 0.
#include "input/column_type.h"
#include "diag/messages.h"

#include "diag/near_name.h"
#include "input/blanks.h"
#include "store/error.h"

#include <algorithm>
#include <limits>
#include <string>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The text before the '(' and the digits between the parentheses, blanks
// around both allowed; digits is empty unless the text is word(digits).
struct Sized {
  std::string_view word;
  std::string_view digits;
};

Sized sizedParts(std::string_view type) {
  std::size_t open = type.find('(');
  if (open == std::string_view::npos || type.back() != ')') {
    return {type, {}};
  }
  std::string_view inner = trimmed(type.substr(open + 1, type.size() - open - 2));
  bool digits = !inner.empty() && std::all_of(inner.begin(), inner.end(), isDigit);
  return {trimmed(type.substr(0, open)), digits ? inner : std::string_view{}};
}

// varchar(10), nchar(10), CHAR(10), chr(10) all mean char(10).
bool meansChar(std::string_view word) {
  if (word.size() >= 4 && editDistance(word.substr(word.size() - 4), "char") == 0) {
    return true;
  }
  return !nearestName(word, {"char"}).empty();
}

bool isType(std::string_view word) {
  Sized parts = sizedParts(word);
  return word == "int" || word == "integer" || (parts.word == "char" && !parts.digits.empty());
}

// A type text of several words is most often two entries run together (a
// missing ',', a ';' or a fullwidth comma for it) or a column name with a
// blank in it: named as such, rather than suggesting a type.
std::string entriesRunTogether(std::string_view type, std::string_view column) {
  std::size_t blank = type.find_first_of(" \t");
  if (blank == std::string_view::npos) {
    return {};
  }
  std::string_view first = type.substr(0, blank);
  std::string_view next = trimmed(type.substr(blank));
  constexpr std::string_view fullwidthComma = "\xEF\xBC\x8C";
  if (first.ends_with(';') && isType(first.substr(0, first.size() - 1))) {
    return msg::semicolonBetweenColumns(first.substr(0, first.size() - 1));
  }
  if (first.ends_with(fullwidthComma) && isType(first.substr(0, first.size() - fullwidthComma.size()))) {
    return msg::fullwidthCommaBetweenColumns(first.substr(0, first.size() - fullwidthComma.size()));
  }
  if (isType(first)) {
    return msg::commaMissingAfterType(first, next.substr(0, std::min(next.find_first_of(" \t"), next.size())));
  }
  std::size_t last = type.find_last_of(" \t");
  if (isType(type.substr(last + 1))) {
    return msg::blankInColumnName(column, trimmed(type.substr(0, last)));
  }
  return {};
}

[[noreturn]] void rejectType(std::string_view type, std::string_view column, long long line, long long position) {
  if (std::string runTogether = entriesRunTogether(type, column); !runTogether.empty()) {
    throw InputError(runTogether, line, position);
  }
  Sized parts = sizedParts(type);
  std::string near;
  if (!parts.digits.empty() && meansChar(parts.word)) {
    near = "char(" + std::string(parts.digits) + ")";
  } else {
    near = nearestName(type, {"int", "integer"});
  }
  throw InputError(near.empty() ? msg::notTypeChoices(type) : msg::notType(type, msg::didYouMean(near)), line,
                   position);
}

} // namespace

std::int32_t columnWidth(std::string_view text, std::string_view column, long long line, long long position) {
  std::string_view type = trimmed(text);
  // The list's closing ')' ends the last entry's text.
  if (!type.empty() && type.back() == ')' &&
      std::count(type.begin(), type.end(), ')') > std::count(type.begin(), type.end(), '(')) {
    type = trimmed(type.substr(0, type.size() - 1));
  }
  if (type.empty()) {
    throw InputError(msg::typeMissing(column), line, position);
  }
  if (type == "int" || type == "integer") {
    return 0;
  }
  Sized parts = sizedParts(type);
  if (parts.word != "char" || parts.digits.empty()) {
    rejectType(type, column, line, position);
  }
  std::string_view digits = parts.digits.substr(std::min(parts.digits.find_first_not_of('0'), parts.digits.size()));
  std::int64_t width = 0;
  for (std::size_t i = 0; i < digits.size() && width <= std::numeric_limits<std::int32_t>::max(); ++i) {
    width = width * 10 + (digits[i] - '0');
  }
  if (width < 1 || width > std::numeric_limits<std::int32_t>::max()) {
    throw InputError(msg::charWidthOutOfRange(type), line, position);
  }
  return static_cast<std::int32_t>(width);
}
