// Spelling names, literals and comments for the SQL form of an explanation.
#include "output/sql_text.h"

#include "output/explain.h"
#include "store/error.h"
#include "store/escape.h"
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

std::string SqlNames::unique(const std::string &wanted, std::set<std::string> &taken) {
  std::string name = wanted;
  while (!taken.insert(folded(name)).second) {
    name += "_";
  }
  return name;
}
