// The row reader's fast path, shared with the reading of rows on several
// threads: a row that the character loop would store with no word said.
#pragma once

#include "input/blanks.h"
#include "store/int_value.h"
#include "store/table.h"

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

// A byte that may begin or end a quote character other than a plain
// value's: ', ", or a UTF-8 sequence that may be a typographic quote.
inline bool mayBeQuote(char byte) {
  auto b = static_cast<unsigned char>(byte);
  return byte == '\'' || byte == '"' || byte == '`' || b == 0xE2 || (b >= 0x98 && b <= 0x9E);
}

// True when an unquoted text begins or ends with a quote-like character,
// which the character loop names (defined in reader.cpp).
bool strayQuote(std::string_view text);

// Whether the row that starts at row and ends at the line end at nl is one
// the character loop would store with no word said, a plain row: as many values
// as columns, no quoted value running past the line, no first value that
// looks like a header, no int value that is not a whole number (those the
// loop notes). Each value is handed to take(k, start, finish) as it is found;
// false from take, or a row that is not plain, returns false, with the
// values taken so far to be ignored. Finds a text's delimiter with memchr,
// and an int value's end as its digits are checked, each byte looked at once.
// Inline: the threads that read rows in chunks store each value as it is
// found, where a call per row and a list of values cost as much as the rest.
template <class Take>
[[gnu::always_inline]] inline bool plainRow(const char *row, const char *nl, const std::vector<Column *> &columns,
                                            Take &&take) {
  const char *p = row;
  std::size_t k = 0;
  for (;;) {
    if (k == columns.size()) {
      return false;
    }
    while (p < nl && isBlank(*p)) {
      ++p;
    }
    const char *start = p;
    const char *finish = nullptr;
    bool isInt = columns[k]->width == 0;
    if (p < nl && *p == '\'') {
      start = p + 1;
      finish = static_cast<const char *>(std::memchr(start, '\'', static_cast<std::size_t>(nl - start)));
      if (finish == nullptr || (isInt && !isWholeNumber({start, static_cast<std::size_t>(finish - start)}))) {
        return false;
      }
      p = finish + 1;
      if (p != nl && *p != ',') {
        return false; // blanks, or a mistake, after the closing quote
      }
    } else if (isInt) {
      p = wholeNumberEnd(p, nl);
      if (p == nullptr || (p != nl && *p != ',')) {
        return false;
      }
      finish = p;
    } else {
      const auto *comma = static_cast<const char *>(std::memchr(p, ',', static_cast<std::size_t>(nl - p)));
      p = comma != nullptr ? comma : nl;
      finish = p;
      if (k == 0 && std::memchr(start, '(', static_cast<std::size_t>(finish - start)) != nullptr) {
        return false;
      }
      // The byte test first, so that most values skip the exact one; a
      // value of Cyrillic or CJK text may end in such a byte.
      if (start != finish && (mayBeQuote(*start) || mayBeQuote(finish[-1])) &&
          strayQuote({start, static_cast<std::size_t>(finish - start)})) {
        return false; // the character loop names a stray quote
      }
    }
    if (!take(k++, start, finish)) {
      return false;
    }
    if (p == nl) {
      return k == columns.size();
    }
    ++p;
  }
}
