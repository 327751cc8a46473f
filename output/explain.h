// The explanation of a run: how the command was evaluated, written as an
// indented text, JSON, a Graphviz digraph or an SQL script.
#pragma once

#include "exec/trace.h"
#include "input/command.h"
#include "output/explain_format.h"
#include "store/database.h"

#include <iosfwd>
#include <stdexcept>
#include <string>

// What an explanation is made of: the command tree, the record of its
// evaluation, and the relations of the input, whose values the SQL form
// writes out in full.
struct Explained {
  const Command &command;
  const Trace &trace;
  const Database &db;
};

// A form that cannot say what the run holds (SQL and a NUL byte), thrown
// before the form has written anything; what() says why, for an error line.
class ExplainRefused : public std::runtime_error {
public:
  explicit ExplainRefused(const std::string &why) : std::runtime_error(why) {}
};

void writeExplainText(const Explained &explained, std::ostream &out);
void writeExplainJson(const Explained &explained, std::ostream &out);
void writeExplainDot(const Explained &explained, std::ostream &out);
void writeExplainSql(const Explained &explained, std::ostream &out);
void writeExplanation(ExplainFormat format, const Explained &explained, std::ostream &out);
