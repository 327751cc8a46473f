// Places in messages as editors show them: the reader counts a column in
// bytes, a user counts characters. A well-formed UTF-8 sequence is one
// column, as are a tab and a byte of no well-formed sequence.
#pragma once

#include "input/command.h"

#include <cstddef>
#include <string_view>
#include <vector>

class CharacterColumns {
public:
  // text: the input as read, line ends folded, the places' lines counted in it.
  explicit CharacterColumns(std::string_view text) : text_(text) {}

  // The character column of the byteColumn-th byte of line (both from 1; 0
  // stays 0, unknown).
  long long column(long long line, long long byteColumn);

private:
  std::size_t lineStart(long long line);

  std::string_view text_;
  std::vector<std::size_t> starts_{0}; // of lines 1, 2, ... found so far
  // The last answer, from which a later place on the same line goes on: the
  // command's tokens come in order along line 1.
  long long lastLine_ = 0;
  std::size_t lastByte_ = 0;
  long long lastColumn_ = 0;
};

// Every place that reading noted in command (its tokens, warnings, errors and
// lost relations) turned from bytes into characters of text.
void countColumnsInCharacters(Command &command, std::string_view text);
