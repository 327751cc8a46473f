// Spelling names, literals and comments for the SQL form of an explanation.
#include "diag/shown.h"
#include "output/sql_text.h"

#include "output/explain.h"
#include "store/error.h"
#include "diag/escape.h"
#include "store/int_value.h"

#include <algorithm>

std::string identifier(std::string_view name) {
  std::string text = "\"";
  for (char ch : name) {
    text += ch == '"' ? "\"\"" : std::string(1, ch);
  }
  return text + "\"";
}

std::string textLiteral(std::string_view value) {
  std::string text = "'";
  for (char ch : value) {
    text += ch == '\'' ? "''" : std::string(1, ch);
  }
  return text + "'";
}

std::string folded(std::string_view name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; });
  return key;
}

std::string commentText(std::string_view text) {
  std::string out;
  forEachCharacter(text, [&](std::string_view c, bool printable) {
    out += printable ? std::string(c) : hexEscape("\\x", c[0]);
    return true;
  });
  return out;
}

// A NUL: neither engine can hold one, and SQLite's shell ends the line there,
// so that what follows would run as SQL and as its dot-commands. A CR before
// an LF: that shell drops it. Every other byte reads back unchanged in both
// (checked for each control byte, inside literals and quoted names alike).
void refuseUnsayable(std::string_view text, const char *what, const std::string *relation) {
  bool nul = text.find('\0') != std::string_view::npos;
  if (!nul && text.find("\r\n") == std::string_view::npos) {
    return;
  }
  std::string whose = relation != nullptr ? "a(z) " + shownName(*relation) + " relacio " + what : what;
  throw ExplainRefused(whose + (nul ? " NUL byte-ot tartalmaz, amit az SQL nem tud tarolni"
                                    : " CR LF sorveget tartalmaz, amit az sqlite3 nem ad vissza valtozatlanul"));
}

std::string sqlType(std::int32_t width) { return width == 0 ? "INTEGER" : "TEXT"; }

std::string intText(std::string_view value) { return std::to_string(toInt32(value)); }

std::string asInt32(const std::string &column) {
  std::string wide = "CAST(" + column + " AS BIGINT)";
  return "CASE WHEN " + wide + " > 2147483647 THEN 2147483647 WHEN " + wide + " < -2147483648 THEN -2147483648 ELSE " +
         wide + " END";
}

void SqlNames::avoid(const std::set<std::string> &foldedColumns) {
  while (foldedColumns.contains(folded(pos_))) {
    pos_ += "_";
  }
}

std::string SqlNames::relation(const std::string &wanted) { return identifier(unique(wanted, relations_)); }

std::vector<std::string> SqlNames::columns(const std::vector<TraceColumn> &columns) const {
  std::set<std::string> taken{folded(pos_)};
  std::vector<std::string> names;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::string wanted = columns[i].name.empty() ? "column" : columns[i].name;
    if (taken.contains(folded(wanted))) {
      wanted += '_';
      wanted += std::to_string(i + 1);
    }
    names.push_back(identifier(unique(wanted, taken)));
  }
  return names;
}

namespace {

// PostgreSQL keeps 63 bytes of a name and drops the rest, so longer names
// that differ only after them would collide there.
constexpr std::size_t longestName = 63;

// name cut to at most bytes bytes, never inside a UTF-8 sequence.
std::string cutTo(const std::string &name, std::size_t bytes) {
  if (name.size() <= bytes) {
    return name;
  }
  while (bytes > 0 && (static_cast<unsigned char>(name[bytes]) & 0xC0U) == 0x80U) {
    --bytes;
  }
  return name.substr(0, bytes);
}

} // namespace

std::string SqlNames::unique(const std::string &wanted, std::set<std::string> &taken) {
  std::string name = cutTo(wanted, longestName);
  for (std::size_t n = 1; !taken.insert(folded(name)).second; ++n) {
    // "_", "__", ... as long as they fit; numbered past that, so that the
    // search ends however many names share their first 63 bytes.
    std::string suffix(wanted.size() + n <= longestName ? n : 1, '_');
    if (wanted.size() + n > longestName) {
      suffix += std::to_string(n);
    }
    name = cutTo(wanted, longestName - suffix.size()) + suffix;
  }
  return name;
}
