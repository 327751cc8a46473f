// How the SQL form of an explanation spells things: quoted names that SQLite
// and PostgreSQL both read, literals, comments, and the names a script gives
// its relations and columns so that no two collide once SQLite folds their
// letters. The query built from them is explain_sql.cpp's.
#pragma once

#include "exec/trace.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// name as a quoted identifier.
std::string identifier(std::string_view name);

// value as a quoted text literal.
std::string textLiteral(std::string_view value);

// name with its ASCII letters in lower case: SQLite folds identifiers, quoted
// ones too, so names equal once folded collide.
std::string folded(std::string_view name);

// A text for a "--" comment, which ends at a line end: control bytes and
// bytes that are no UTF-8 shown as \xNN.
std::string commentText(std::string_view text);

// Throws ExplainRefused when text holds what the script cannot carry; what
// names the text, within the relation named, if any.
void refuseUnsayable(std::string_view text, std::string_view what, const std::string *relation = nullptr);

// INTEGER or TEXT.
std::string sqlType(std::int32_t width);

// An int value as the number tabulon compares it as.
std::string intText(std::string_view value);

// A text column read as tabulon reads an int: a whole number held to 32 bits,
// where a plain CAST would keep 99999999999 as it is.
std::string asInt32(const std::string &column);

// The names of one script: its relations', and the column that carries each
// relation's row order, which must meet no column name.
class SqlNames {
public:
  // Every column name the script will hold, folded, before any name is given.
  void avoid(const std::set<std::string> &foldedColumns);

  // The order column, quoted.
  [[nodiscard]] std::string position() const { return identifier(pos_); }
  // The order column as written, for collision checks.
  [[nodiscard]] const std::string &positionName() const { return pos_; }

  // A quoted name for a relation, unique in the script.
  std::string relation(const std::string &wanted);

  // Quoted names for one relation's columns that SQL can tell apart.
  [[nodiscard]] std::vector<std::string> columns(const std::vector<TraceColumn> &columns) const;

private:
  static std::string unique(const std::string &wanted, std::set<std::string> &taken);

  std::string pos_ = "pos";
  std::set<std::string> relations_; // folded
};
