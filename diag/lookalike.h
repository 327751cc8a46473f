// Characters that a reader cannot tell from others, or cannot see at all: a
// no-break space pasted from a word processor, a zero-width space, a byte
// order mark left inside a file by joining two, a minus sign or fullwidth
// letters in place of ASCII. A name holding one looks like a name it is not.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The length of the invisible or look-alike character at text[at], or 0.
std::size_t lookalikeLength(std::string_view text, std::size_t at);

// The first such character of text, as "U+00A0", or empty.
std::string firstLookalike(std::string_view text);

// "U+00A0" for the character at text[at], which lookalikeLength accepts.
std::string codePointName(std::string_view text, std::size_t at);

// The quote other than ' that text begins or ends with (a typographic quote
// as "U+201C", or " or `), or empty: text pasted with such quotes around it.
std::string quoteMark(std::string_view text);

// text without the quotes quoteMark finds at either end.
std::string_view withoutQuoteMarks(std::string_view text);
