// The relation reader. The text format is read character by character, with
// no look-ahead; rows whose number of values is not the number of columns are
// rejected rather than stored ragged.
#include "input/reader.h"
#include "diag/shown.h"

#include "diag/lookalike.h"
#include "diag/messages.h"
#include "input/blanks.h"
#include "input/column_type.h"
#include "input/line_ends.h"
#include "input/parallel_rows.h"
#include "input/plain_row.h"
#include "input/positions.h"
#include "input/tokenizer.h"
#include "platform/files.h"
#include "store/error.h"
#include "store/int_value.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

constexpr int end = CharStream::end;

// A value as a warning shows it: cut short, and before any control byte,
// so that the warning stays one line of text.
std::string shown(std::string_view value) {
  constexpr std::size_t longest = 20;
  std::size_t n = 0;
  while (n < value.size() && n < longest && static_cast<unsigned char>(value[n]) >= 0x20 && value[n] != 0x7f) {
    ++n;
  }
  std::string out(1, '\'');
  out += value.substr(0, n);
  out += n < value.size() ? "...'" : "'";
  return out;
}

// Characters of UTF-8 text: every byte but those that continue a sequence.
std::size_t characters(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; }));
}

std::string andMore(std::size_t count) { return count > 1 ? msg::andMoreValues(count - 1) : ""; }

InputError badRow(const Table &table, long long line, std::size_t values, std::size_t columns) {
  return {msg::badRow(table.name, values, columns), line};
}

// Consumes the rest of the current line, then every line up to and with the
// next empty one: where reading goes on after a mistake that leaves the
// relation, or the command, unreadable.
void skipPastEmptyLine(CharStream &in) {
  std::string_view rest = in.rest();
  std::size_t at = 0;
  if (!in.atLineStart()) {
    at = std::min(rest.find('\n'), rest.size());
    at += at < rest.size() ? 1 : 0;
  }
  while (at < rest.size()) {
    std::size_t nl = std::min(rest.find('\n', at), rest.size());
    bool empty = nl == at;
    at = nl + (nl < rest.size() ? 1 : 0);
    if (empty) {
      break;
    }
  }
  for (std::size_t i = 0; i < at; ++i) {
    in.get();
  }
}

// The first of a kind of doubtful value in one column or relation, and how
// many there are: one warning each, however many values.
struct Doubtful {
  std::size_t count = 0;
  std::string value;
  long long line = 0;
  long long column = 0;

  void note(std::string_view text, long long atLine, long long atColumn) {
    if (count++ == 0) {
      value = text;
      line = atLine;
      column = atColumn;
    }
  }
};

// Column names of one header that the reader takes as they stand but that
// are likely not what was meant: one warning per kind and header, naming the
// first, however many columns there are.
class HeaderNames {
public:
  explicit HeaderNames(const Table &table) : table_(table) {}

  void note(const std::string &name, long long line, long long column) {
    if (std::string mark = firstLookalike(name); !mark.empty()) {
      lookalike_.note(name, line, column, mark);
    } else if (name.find_first_of("('\"") != std::string::npos) {
      bracket_.note(name, line, column, {});
    } else if (!seen_.insert(name).second) {
      repeated_.note(name, line, column, {});
    }
  }

  void warn(std::vector<Warning> &warnings) const {
    auto more = [](const Kind &kind) { return kind.count > 1 ? msg::andMoreColumns(kind.count - 1) : ""; };
    if (lookalike_.count > 0) {
      warnings.push_back({msg::columnNameLookalike(lookalike_.name, lookalike_.mark, more(lookalike_)), lookalike_.line,
                          lookalike_.column});
    }
    if (bracket_.count > 0) {
      warnings.push_back({msg::columnNameBracket(bracket_.name, more(bracket_)), bracket_.line, bracket_.column});
    }
    if (repeated_.count > 0) {
      warnings.push_back(
          {msg::columnNameTwice(repeated_.name, table_.name, more(repeated_)), repeated_.line, repeated_.column});
    }
  }

private:
  struct Kind {
    std::size_t count = 0;
    std::string name;
    std::string mark; // the look-alike character named
    long long line = 0;
    long long column = 0;

    void note(const std::string &n, long long atLine, long long atColumn, std::string named) {
      if (count++ == 0) {
        name = n;
        mark = std::move(named);
        line = atLine;
        column = atColumn;
      }
    }
  };

  const Table &table_;
  std::unordered_set<std::string> seen_; // a header may have a million columns
  Kind lookalike_;
  Kind bracket_;
  Kind repeated_;
};

// A no-break space (U+00A0), as a word processor puts between words, where
// a header has a blank.
bool noBreakSpace(int ch, const CharStream &in) { return ch == 0xC2 && in.rest().starts_with('\xA0'); }

// Reads the column list; returns the character that follows it. Blanks
// (spaces and tabs) separate a column's name from its type; so does a
// no-break space, with a warning.
int readHeader(Table &table, CharStream &in, int ch, std::vector<Warning> &warnings) {
  long long noBreakLine = 0;
  long long noBreakColumn = 0;
  auto skipBlanks = [&] {
    for (;;) {
      if (noBreakSpace(ch, in)) {
        if (noBreakLine == 0) {
          noBreakLine = in.line();
          noBreakColumn = in.column();
        }
        in.get();
      } else if (!isBlank(ch)) {
        return;
      }
      ch = in.get();
    }
  };
  std::string name;
  long long nameLine = 0;
  long long nameColumn = 0;
  HeaderNames names(table);
  std::string type;
  Column *last = table.schema;
  bool done = false;
  while (ch != end && !done) {
    skipBlanks();
    if (ch == '\n') {
      done = true;
      continue;
    }
    if (ch == ')') { // a list closed after a ','
      while (ch != end && ch != '\n') {
        ch = in.get();
      }
      done = true;
    }
    nameLine = in.line();
    nameColumn = in.column();
    while (ch != end && !isBlank(ch) && !noBreakSpace(ch, in) && ch != ',' && ch != '\n' && ch != ')') {
      name.push_back(static_cast<char>(ch));
      ch = in.get();
    }
    if (name.empty() && ch == ',') {
      throw InputError(msg::columnNameMissing(), in.line(), in.column());
    }
    skipBlanks();
    long long typeLine = in.line();
    long long typeColumn = in.column();
    while (ch != end && ch != ',' && ch != '\n') {
      type.push_back(static_cast<char>(ch));
      ch = in.get();
    }
    // The end of the file ends the last entry too: a header may be the file's
    // last line, with no newline after it.
    bool entryEnds = ch == ',' || ch == '\n' || (ch == end && !(name.empty() && type.empty()));
    if (entryEnds && !done) {
      std::int32_t width = columnWidth(type, name, typeLine, typeColumn);
      names.note(name, nameLine, nameColumn);
      last = linkColumn(last, createColumn(table, name, width));
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
  names.warn(warnings);
  if (noBreakLine != 0) {
    warnings.push_back({msg::headerNoBreakSpace(table.name), noBreakLine, noBreakColumn});
  }
  return ch;
}

// Text on the lines before a header's own joins the relation's name, which
// loses the relation under the name that the header shows. The cause is an
// empty line right after the previous header, or the text itself.
void noteStrayText(Command &command, std::string_view name, const std::string &previous, long long previousEmpty,
                   long long line, long long column) {
  std::string message;
  if (previousEmpty != 0) {
    message = msg::strayTextEmptyLine(name, previous);
    line = previousEmpty;
    column = 1;
  } else {
    message = msg::strayTextJoined(name);
  }
  command.lost.push_back({std::string(name), std::move(message), line, column});
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

// The quote-like character that text begins or ends with, as "U+201C",
// or empty: a value pasted with typographic or double quotes, or with its
// opening ' missing, would never equal the literal the user compares it to.
std::string quoteLike(std::string_view text, bool quoted) {
  if (std::string mark = quoteMark(text); !mark.empty()) {
    return mark;
  }
  return !quoted && text.ends_with('\'') ? "'" : "";
}

} // namespace

bool strayQuote(std::string_view text) { return !quoteLike(text, false).empty(); }

namespace {

class RowReader {
public:
  RowReader(Table &table, CharStream &in, Command &command) : table_(table), in_(in), command_(command) {
    for (Column *c = firstColumn(table); c != nullptr; c = c->next) {
      columns_.push_back(c);
    }
    notWhole_.resize(columns_.size());
    quoteLike_.resize(columns_.size());
    tooLong_.resize(columns_.size());
    quoteMark_.resize(columns_.size());
    values_.resize(columns_.size());
  }

  // Values are kept as views into the input text, which outlives every
  // relation: a value's bytes are the characters read for it, contiguous
  // there.
  void run(int ch) {
    bool stop = false;
    if (ch != end && ch != '\n' && !columns_.empty() && takePlainRows(in_, columns_) > 0) {
      ch = in_.get(); // as after takePlainRow
      stop = ch == '\n';
    } else {
      std::size_t rows = rowsAhead(in_.rest());
      for (Column *c : columns_) {
        c->reserve(rows);
      }
    }
    std::size_t count = 0; // values of the current row so far
    long long rowLine = in_.line();
    while (ch != end && !stop) {
      if (count == 0 && isBlank(ch) && takeBlankLine()) {
        break;
      }
      if (count == 0 && ch != '\n' && takePlainRow()) {
        ch = in_.get();
        stop = ch == '\n';
        continue;
      }
      if (count == 0) {
        rowLine = in_.line();
      }
      bool bad = false;
      try {
        ch = readValue(ch, count);
      } catch (const InputError &e) {
        // The row is lost; the next one is read as if it were the first.
        fail(e);
        ch = skipLine();
        bad = true;
      }
      ++count;
      bool rowEnded = ch == '\n';
      if (rowEnded || ch == end) {
        if (!bad && count != columns_.size()) {
          fail(badRow(table_, rowLine, count, columns_.size()));
        }
        count = 0;
      }
      if (ch != end) {
        ch = in_.get();
      }
      stop = rowEnded && ch == '\n';
    }
    // A ',' that is the file's last character leaves its row open: the value
    // after it is never read, so the row may be short.
    if (count != 0 && count != columns_.size()) {
      fail(badRow(table_, rowLine, count, columns_.size()));
    }
    if (failed_) {
      // A bad row may have left some columns a value longer than others; the
      // run fails, and no one may read the ragged rows meanwhile.
      for (Column *c : columns_) {
        c->offsets.clear();
        c->lengths.clear();
        c->outliers.clear();
        c->valueBytes = 0;
      }
    }
    warnDoubtful();
  }

private:
  void fail(const InputError &e) {
    failed_ = true;
    command_.addError(e);
  }

  // Consumes up to the line end; returns it, or end.
  int skipLine() {
    in_.skipRun('\n');
    return in_.get();
  }

  // The row whose first character was read last, stored in one step with its
  // line end when it is a plain row (see plainRow); false, nothing consumed,
  // when it is not, or has no line end.
  bool takePlainRow() {
    if (columns_.empty()) {
      return false;
    }
    std::string_view rest = in_.rest();
    const char *row = in_.position() - 1;
    const auto *nl = static_cast<const char *>(std::memchr(rest.data(), '\n', rest.size()));
    auto keep = [&](std::size_t k, const char *start, const char *finish) {
      values_[k] = {start, static_cast<std::size_t>(finish - start)};
      return true;
    };
    if (nl == nullptr || !plainRow(row, nl, columns_, keep)) {
      return false;
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (columns_[i]->width != 0 && values_[i].size() > static_cast<std::size_t>(columns_[i]->width)) {
        return false; // maybe too long: the character loop knows where it stands
      }
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      appendStored(*columns_[i], values_[i]);
    }
    in_.advanceTo(nl);
    in_.get(); // the line end
    return true;
  }

  // A line of blanks alone where a row would begin: an empty line to the eye,
  // so it ends the relation, as an empty line does. The line and its line
  // end are consumed, as the empty line's would be.
  bool takeBlankLine() {
    std::string_view rest = in_.rest();
    std::size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    if (!std::all_of(line.begin(), line.end(), isBlank)) {
      return false;
    }
    command_.warnings.push_back({msg::blankLineEnds(table_.name), in_.line(), 1});
    in_.advanceTo(line.data() + line.size());
    in_.get(); // the line end, or the end of the file
    return true;
  }

  // Reads value number index of a row character by character, from ch on,
  // and stores it; returns the character after it: ',', a line end or end.
  int readValue(int ch, std::size_t index) {
    while (isBlank(ch)) {
      ch = in_.get();
    }
    long long line = in_.line();
    long long column = in_.column();
    std::string_view value;
    bool quoted = ch == '\'';
    if (quoted) {
      ch = readQuoted(value, line, column);
    } else {
      const char *start = in_.position() - (ch == end ? 0 : 1);
      while (ch != end && ch != ',' && ch != '\n') {
        in_.skipRun(',');
        ch = in_.get();
      }
      const char *finish = ch == end ? in_.position() : in_.position() - 1;
      value = {start, static_cast<std::size_t>(finish - start)};
      if (index == 0) {
        noteHeaderLike(value, line, column);
      }
    }
    if (index < columns_.size() && columns_[index]->width != 0) {
      if (std::string mark = quoteLike(value, quoted); !mark.empty()) {
        if (quoteLike_[index].count == 0) {
          quoteMark_[index] = mark;
        }
        quoteLike_[index].note(value, line, column);
      }
    }
    if (index < columns_.size() && columns_[index]->width != 0 &&
        characters(value) > static_cast<std::size_t>(columns_[index]->width)) {
      tooLong_[index].note(value, line, column);
    }
    if (index < columns_.size()) {
      appendStored(*columns_[index], value);
      if (columns_[index]->width == 0 && !isWholeNumber(value)) {
        notWhole_[index].note(value, line, column);
      }
    }
    return ch;
  }

  // A quoted value, from its opening quote; returns the character after it.
  int readQuoted(std::string_view &value, long long line, long long column) {
    const char *start = in_.position();
    int ch = in_.get();
    bool spans = false;
    while (ch != end && ch != '\'') {
      spans = spans || ch == '\n';
      in_.skipRun('\'');
      ch = in_.get();
    }
    const char *finish = ch == end ? in_.position() : in_.position() - 1;
    value = {start, static_cast<std::size_t>(finish - start)};
    if (spans) {
      overLineEnd_.note(value, line, column);
    }
    if (ch != end) {
      ch = in_.get();
    }
    while (isBlank(ch)) {
      ch = in_.get();
    }
    if (ch != end && ch != ',' && ch != '\n') {
      rejectAfterQuote(ch, value, spans ? line : 0);
    }
    return ch;
  }

  // Text after a closing quote was once dropped without a word: 'O''Brien'
  // was stored as O.
  // After a value that ran on past the line it opened on (openedOn), that is
  // the likely cause: its closing quote missing, a later quote closed it.
  [[noreturn]] void rejectAfterQuote(int ch, std::string_view value, long long openedOn) {
    std::string message = msg::textAfterQuote(value, openedOn != 0 ? msg::causeValueSpans(openedOn)
                                                     : ch == '\''  ? msg::hintQuoteInValue()
                                                                   : msg::hintCommaMissing());
    throw InputError(message, in_.line(), in_.column());
  }

  // A row that begins like a header (S(...) is likely the next relation's,
  // the empty line before it missing.
  void noteHeaderLike(std::string_view value, long long line, long long column) {
    std::size_t open = value.find('(');
    if (open == std::string_view::npos) {
      return;
    }
    std::string_view name = trimmed(value.substr(0, open));
    if (!name.empty() && std::none_of(name.begin(), name.end(), isBlank)) {
      std::string_view list = value.substr(open);
      bool typed = list.find(" int") != std::string_view::npos || list.find(" char(") != std::string_view::npos;
      if (typed && !headerLikeWarned_) {
        // Stored as a value, as ever; but a file whose command does not
        // name that relation would give no word at all.
        headerLikeWarned_ = true;
        command_.warnings.push_back({msg::headerLikeRow(table_.name), line, column});
      }
      command_.lost.push_back({std::string(name), msg::relationInRows(name, table_.name), line, column});
    }
  }

  // One warning per kind and column, in the order of the values they name.
  void warnDoubtful() {
    std::vector<Warning> found;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      const Doubtful &d = notWhole_[i];
      if (d.count > 0) {
        found.push_back(
            {msg::notWhole(columns_[i]->name, shown(d.value), std::to_string(toInt32(d.value)), andMore(d.count)),
             d.line, d.column});
      }
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      const Doubtful &d = tooLong_[i];
      if (d.count > 0) {
        // Kept whole, as ever: the width limits nothing, but the user may
        // have meant a shorter value or a wider column.
        found.push_back(
            {msg::tooLong(columns_[i]->name, shown(d.value), typeText(columns_[i]->width), andMore(d.count)), d.line,
             d.column});
      }
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      const Doubtful &d = quoteLike_[i];
      if (d.count > 0) {
        const std::string &mark = quoteMark_[i];
        found.push_back({mark == "'" ? msg::quoteOpenMissing(columns_[i]->name, shown(d.value), mark, andMore(d.count))
                                     : msg::quoteLikeKept(columns_[i]->name, shown(d.value), mark, andMore(d.count)),
                         d.line, d.column});
      }
    }
    if (overLineEnd_.count > 0) {
      found.push_back({msg::valueSpansLines(andMore(overLineEnd_.count)), overLineEnd_.line, overLineEnd_.column});
    }
    std::sort(found.begin(), found.end(), [](const Warning &a, const Warning &b) {
      return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    command_.warnings.insert(command_.warnings.end(), found.begin(), found.end());
  }

  Table &table_;
  CharStream &in_;
  Command &command_;
  std::vector<Column *> columns_;
  std::vector<Doubtful> notWhole_;       // per int column
  std::vector<Doubtful> quoteLike_;      // per char column
  std::vector<Doubtful> tooLong_;        // per char column
  std::vector<std::string> quoteMark_;   // the character quoteLike_ names
  std::vector<std::string_view> values_; // of a plain row, per column
  Doubtful overLineEnd_;
  bool headerLikeWarned_ = false;
  bool failed_ = false;
};

} // namespace

// A relation name that looks like another, or that an earlier relation has:
// the command finds only the first of that name.
void warnAboutRelationName(const std::string &name, long long line,
                           std::unordered_map<std::string, long long> &firstLines, std::vector<Warning> &warnings) {
  auto [first, added] = firstLines.try_emplace(name, line);
  if (std::string mark = firstLookalike(name); !mark.empty()) {
    warnings.push_back({msg::relationNameLookalike(name, mark), line, 1});
  } else if (!added) {
    warnings.push_back({msg::relationTwice(name, first->second), line, 1});
  }
}

std::unique_ptr<Table> readTable(const std::string &name, CharStream &in, Command &command, long long &emptyLine) {
  auto table = std::make_unique<Table>(name);
  emptyLine = 0;
  int ch = in.get();
  if (ch == ')') {
    return table;
  }
  long long headerLine = in.line();
  ch = readHeader(*table, in, ch, command.warnings);
  if (ch != '\n') {
    RowReader(*table, in, command).run(ch);
  } else if (in.line() > headerLine) {
    emptyLine = in.line();
  }
  return table;
}

void readTables(CharStream &in, Database &db, Command &command) {
  int ch = in.get();
  std::unordered_map<std::string, long long> firstLines; // of each relation name
  std::string previous;                                  // the name of the relation read last
  long long previousEmpty = 0;                           // the empty line right after its header
  while (!in.atEnd()) {
    // The name is the text before '(', without line ends and the blanks
    // around it. Text on lines before the header's own is kept in the name,
    // as ever, and noted in case the command names the relation.
    std::string name;
    std::size_t headerStart = 0;
    long long textLine = 0;
    long long textColumn = 0;
    bool stray = false;
    while (!in.atEnd() && ch != '(') {
      if (ch == '\n') {
        stray = stray || textLine != 0;
        headerStart = name.size();
      } else {
        if (textLine == 0 && !isBlank(ch)) {
          textLine = in.line();
          textColumn = in.column();
        }
        name.push_back(static_cast<char>(ch));
      }
      ch = in.get();
    }
    std::string_view headerName = trimmed(std::string_view(name).substr(headerStart));
    if (ch == '(' && stray && !headerName.empty()) {
      noteStrayText(command, headerName, previous, previousEmpty, textLine, textColumn);
    }
    // Text before the end of the file still names a relation (without
    // columns). A '(' without a name is read and dropped: nothing could name
    // that relation.
    std::string whole(trimmed(name));
    if (whole.empty() && in.atEnd()) {
      break;
    }
    if (ch != '(' && textLine != 0) {
      // Rows after a relation's empty line, with no header after them: to
      // the eye they still belong to the relation above.
      command.warnings.push_back({msg::rowsWithoutHeader(), textLine, textColumn});
    }
    long long headerLine = in.line();
    if (!whole.empty() && ch == '(') {
      warnAboutRelationName(whole, headerLine, firstLines, command.warnings);
    }
    try {
      std::unique_ptr<Table> table = readTable(whole, in, command, previousEmpty);
      if (!whole.empty()) {
        db.tables.push_back(std::move(table));
      }
    } catch (const InputError &e) {
      // A header that cannot be read loses its relation, and the error says
      // why: a command that names it hears nothing more.
      command.addError(e);
      command.lost.push_back({whole, {}, 0, 0, true});
      skipPastEmptyLine(in);
      previousEmpty = 0;
    }
    previous = whole;
    if (!in.atEnd()) {
      ch = in.get();
    }
  }
}

namespace {

// A file saved as UTF-16 (a Windows editor's "Unicode") has a NUL beside
// every ASCII byte; read as bytes it gives a cascade of messages about
// nothing the user can see. Only the first line is looked at: a UTF-8 file
// may hold NUL bytes in its values.
bool looksLikeUtf16(std::string_view text) {
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    return true;
  }
  std::string_view start = text.substr(0, std::min<std::size_t>(text.find('\n'), 64));
  if (start.size() < 8) {
    return false;
  }
  for (std::size_t parity : {0U, 1U}) {
    bool alternates = true;
    for (std::size_t i = 0; i + 1 < start.size() && alternates; i += 2) {
      char ascii = start[i + parity];
      char zero = start[i + 1 - parity];
      alternates = zero == '\0' && ascii != '\0' && static_cast<unsigned char>(ascii) < 0x80;
    }
    if (alternates) {
      return true;
    }
  }
  return false;
}

} // namespace

void loadFrom(Database &db, Command &command, std::string_view text) {
  try {
    if (looksLikeUtf16(text)) {
      command.read = false;
      command.addError({msg::utf16(), 1, 1});
      return;
    }
    // A byte order mark, as some editors save UTF-8, is no part of the command.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark)) {
      text.remove_prefix(byteOrderMark.size());
    }
    CharStream in(text);
    try {
      parseCommand(command, in);
    } catch (const InputError &e) {
      // The relations are still read, for their own mistakes, from the first
      // empty line on: what comes before it belongs to the broken command.
      command.read = false;
      command.addError(e);
      skipPastEmptyLine(in);
    }
    readTables(in, db, command);
  } catch (const ErrorLimitReached &) {
    // The errors noted so far are the run's answer.
  }
  countColumnsInCharacters(command, text);
}

bool readInput(const std::string &path, InputBytes &text) {
  if (!text.load(path)) {
    if (text.overLimit()) {
      throw InputError(msg::inputTooLarge(static_cast<long long>(inputByteLimit())));
    }
    return false;
  }
  // Only a text with a CR is changed, in place: the relations view it after.
  if (text.mayHoldCr() && text.view().find('\r') != std::string_view::npos) {
    text.shorten(foldLineEnds(text.data(), text.view().size()));
  }
  return true;
}
