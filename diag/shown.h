// Names, values and whole lines as messages show them: one line of text that
// sends no control sequence to a terminal and shows what the eye cannot.
#pragma once

#include <string>
#include <string_view>

// A name or value as a message quotes it: cut to its first 80 bytes, with
// "...", when longer (never inside a UTF-8 sequence), and with invisible and
// look-alike characters shown as <U+00A0>.
std::string shownName(std::string_view name);

// text with every control byte but the tab (below 0x20, 0x7F, and the C1
// controls as UTF-8, C2 80 to C2 9F) written as \xNN, so that a message stays
// one line and sends no control sequence to the terminal. Other bytes stay.
std::string printable(std::string_view text);
