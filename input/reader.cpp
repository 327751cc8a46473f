// The relation reader. The text format is read character by character, with
// no look-ahead; rows whose number of values is not the number of columns are
// rejected rather than stored ragged.
#include "input/reader.h"

#include "input/line_ends.h"
#include "input/tokenizer.h"
#include "store/error.h"
#include "store/int_value.h"

#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr int end = CharStream::end;

void rejectRow(const Table &table, long long line, std::size_t values, std::size_t columns) {
  throw InputError("Hibas sor a(z) " + shownName(table.name) + " relacioban: " + std::to_string(values) + " ertek, " +
                       std::to_string(columns) + " oszlop.",
                   line);
}

// Reads the column list; returns the character that follows it.
int readHeader(Table &table, CharStream &in, int ch) {
  std::string name;
  std::string type;
  Column *last = table.schema;
  bool done = false;
  while (ch != end && !done) {
    while (ch == ' ') {
      ch = in.get();
    }
    if (ch == '\n') {
      done = true;
      continue;
    }
    while (ch != end && ch != ' ') {
      name.push_back(static_cast<char>(ch));
      ch = in.get();
    }
    if (ch != end) {
      ch = in.get();
    }
    while (ch != end && ch != ',' && ch != '\n') {
      type.push_back(static_cast<char>(ch));
      ch = in.get();
    }
    if (ch == ',' || ch == '\n') {
      last = linkColumn(last, createColumn(table, name, widthOfType(type)));
      name.clear();
      type.clear();
    }
    if (ch == '\n') {
      done = true;
    }
    if (ch != end) {
      ch = in.get();
    }
  }
  return ch;
}

// Rows up to the relation's blank line, a bound good enough to reserve for:
// a quoted value may hold line ends, and then the columns grow as they go.
std::size_t rowsAhead(std::string_view rest) {
  std::size_t rows = 1;
  for (std::size_t at = rest.find('\n'); at != std::string_view::npos && at + 1 < rest.size() && rest[at + 1] != '\n';
       at = rest.find('\n', at + 1)) {
    ++rows;
  }
  return rows;
}

// The values of the row that starts at row and ends at the line end at nl, as
// the character loop of readRows would read them, when it is a plain row: as
// many values as columns, and no quoted value running past the line. Finds
// each delimiter with memchr instead of looking at every character.
bool plainRow(const char *row, const char *nl, std::vector<std::string_view> &values) {
  const char *p = row;
  std::size_t k = 0;
  for (;;) {
    while (p < nl && (*p == ' ' || *p == '\t')) {
      ++p;
    }
    const char *start = p;
    const char *finish = nullptr;
    if (p < nl && *p == '\'') {
      start = p + 1;
      finish = static_cast<const char *>(std::memchr(start, '\'', static_cast<std::size_t>(nl - start)));
      if (finish == nullptr) {
        return false;
      }
      p = finish + 1;
    }
    const char *comma = static_cast<const char *>(std::memchr(p, ',', static_cast<std::size_t>(nl - p)));
    p = comma != nullptr ? comma : nl;
    if (finish == nullptr) {
      finish = p;
    }
    if (k == values.size()) {
      return false;
    }
    values[k++] = {start, static_cast<std::size_t>(finish - start)};
    if (p == nl) {
      return k == values.size();
    }
    ++p;
  }
}

// Values are kept as views into the input text, which outlives every
// relation: a value's bytes are the characters read for it, contiguous there.
void readRows(Table &table, CharStream &in, int ch) {
  std::vector<Column *> columns;
  std::size_t rows = rowsAhead(in.rest());
  for (Column *c = firstColumn(table); c != nullptr; c = c->next) {
    c->cells.reserve(rows);
    columns.push_back(c);
  }
  std::size_t count = 0; // values of the current row so far
  long long rowLine = in.line();
  bool stop = false;
  std::vector<std::string_view> values(columns.size());
  while (ch != end && !stop) {
    if (count == 0 && ch != '\n' && !columns.empty()) {
      std::string_view rest = in.rest();
      const char *row = in.position() - 1;
      const auto *nl = static_cast<const char *>(std::memchr(rest.data(), '\n', rest.size()));
      if (nl != nullptr && plainRow(row, nl, values)) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
          appendStored(*columns[i], values[i]);
        }
        in.advanceTo(nl);
        in.get(); // the line end
        ch = in.get();
        stop = ch == '\n';
        continue;
      }
    }
    if (count == 0) {
      rowLine = in.line();
    }
    while (ch == ' ' || ch == '\t') {
      ch = in.get();
    }
    const char *start = nullptr;
    const char *finish = nullptr;
    if (ch == '\'') {
      start = in.position();
      ch = in.get();
      while (ch != end && ch != '\'') {
        in.skipRun('\'');
        ch = in.get();
      }
      finish = ch == end ? in.position() : in.position() - 1;
      while (ch != end && ch != ',' && ch != '\n') {
        ch = in.get();
      }
    } else {
      start = in.position() - (ch == end ? 0 : 1);
      while (ch != end && ch != ',' && ch != '\n') {
        in.skipRun(',');
        ch = in.get();
      }
      finish = ch == end ? in.position() : in.position() - 1;
    }
    if (count < columns.size()) {
      appendStored(*columns[count], {start, static_cast<std::size_t>(finish - start)});
    }
    ++count;
    bool rowEnded = ch == '\n';
    if (rowEnded || ch == end) {
      if (count != columns.size()) {
        rejectRow(table, rowLine, count, columns.size());
      }
      count = 0;
    }
    if (ch != end) {
      ch = in.get();
    }
    stop = rowEnded && ch == '\n';
  }
  // A ',' that is the file's last character leaves its row open: the value
  // after it is never read, so the row may be short.
  if (count != 0 && count != columns.size()) {
    rejectRow(table, rowLine, count, columns.size());
  }
}

} // namespace

std::int32_t widthOfType(std::string_view type) {
  if (!type.empty() && type.front() == 'c' && type.size() > 5) {
    type.remove_prefix(5);
    type = type.substr(0, type.find(')'));
  }
  if (type == "int" || type == "int)") {
    return 0;
  }
  return toInt32(type);
}

std::unique_ptr<Table> readTable(const std::string &name, CharStream &in) {
  auto table = std::make_unique<Table>(name);
  int ch = in.get();
  if (ch == ')') {
    return table;
  }
  ch = readHeader(*table, in, ch);
  if (ch != '\n') {
    readRows(*table, in, ch);
  }
  return table;
}

void readTables(CharStream &in, Database &db) {
  int ch = in.get();
  while (!in.atEnd()) {
    std::string name;
    while (!in.atEnd() && ch != '(') {
      if (ch != '\n') {
        name.push_back(static_cast<char>(ch));
      }
      ch = in.get();
    }
    // Text before the end of the file still names a relation (without
    // columns). A '(' without a name is read and dropped: nothing could name
    // that relation.
    if (name.empty() && in.atEnd()) {
      break;
    }
    std::unique_ptr<Table> table = readTable(name, in);
    if (!name.empty()) {
      db.tables.push_back(std::move(table));
    }
    if (!in.atEnd()) {
      ch = in.get();
    }
  }
}

void loadFrom(Database &db, Command &command, std::string_view text) {
  CharStream in(text);
  parseCommand(command, in);
  readTables(in, db);
}

bool loadInput(Database &db, Command &command, const std::string &path, InputBytes &text) {
  if (!text.load(path)) {
    return false;
  }
  // Only a text with a CR is changed, and only then copied out of a mapping.
  if (text.view().find('\r') != std::string_view::npos) {
    foldLineEnds(text.owned());
  }
  loadFrom(db, command, text.view());
  return true;
}
