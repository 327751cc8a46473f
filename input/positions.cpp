// Byte columns turned into character columns, line by line, each line found
// once: a file of a million lines with twenty places in it is read once.
#include "input/positions.h"

#include "diag/escape.h"

#include <algorithm>

std::size_t CharacterColumns::lineStart(long long line) {
  auto wanted = static_cast<std::size_t>(line);
  while (starts_.size() < wanted) {
    std::size_t nl = text_.find('\n', starts_.back());
    if (nl == std::string_view::npos) {
      return text_.size();
    }
    starts_.push_back(nl + 1);
  }
  return starts_[wanted - 1];
}

long long CharacterColumns::column(long long line, long long byteColumn) {
  if (line <= 0 || byteColumn <= 0) {
    return byteColumn;
  }
  std::size_t start = lineStart(line);
  std::size_t target = start + static_cast<std::size_t>(byteColumn - 1);
  std::size_t limit = std::min(target, text_.size());
  std::size_t at = start;
  long long column = 1;
  if (line == lastLine_ && lastByte_ <= limit && lastByte_ >= start) {
    at = lastByte_;
    column = lastColumn_;
  }
  while (at < limit) {
    std::size_t n = std::max<std::size_t>(utf8Length(text_, at), 1);
    if (at + n > limit) {
      break; // a place inside a sequence (never given) is the sequence's
    }
    at += n;
    ++column;
  }
  lastLine_ = line;
  lastByte_ = at;
  lastColumn_ = column;
  // Past the end of the text (a place at the end of the file), a byte each.
  return at < limit ? column : column + static_cast<long long>(target - at);
}

void countColumnsInCharacters(Command &command, std::string_view text) {
  CharacterColumns columns(text);
  for (CommandNode &node : command.nodes) {
    node.column = columns.column(node.line, node.column);
  }
  for (std::vector<Warning> *places : {&command.warnings, &command.errors}) {
    for (Warning &w : *places) {
      w.column = columns.column(w.line, w.column);
    }
  }
  for (LostRelation &lost : command.lost) {
    lost.column = columns.column(lost.line, lost.column);
  }
}
