// Infix comparisons and condition keywords found in a token as typed.
#include "input/prefix_form.h"

#include "diag/messages.h"

#include "input/command.h"

#include <algorithm>
#include <array>

namespace {

struct Infix {
  std::string_view symbol;
  std::string_view keyword;
};

// Longer symbols first, so that "<=" is not read as "<".
constexpr std::array<Infix, 8> infixes{{
    {"<>", "NEQ"},
    {"!=", "NEQ"},
    {"<=", "LTE"},
    {">=", "GTE"},
    {"==", "EQ"},
    {"=", "EQ"},
    {"<", "LT"},
    {">", "GT"},
}};

std::string formOf(NodeKind kind, std::string_view word) {
  if (isComparison(kind)) {
    return std::string(word) + "(" + msg::exampleColumn() + ", 'x')";
  }
  return std::string(word) + (factsOf(kind).operandLimit == 1 ? "(p)" : "(p, q)");
}

std::string upper(std::string_view word) {
  std::string up(word);
  for (char &c : up) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return up;
}

// The text outside quotes, where an infix symbol would be the user's.
std::string unquoted(std::string_view typed) {
  std::string out;
  bool quoted = false;
  for (char c : typed) {
    if (c == '\'') {
      quoted = !quoted;
      out.push_back(' ');
    } else if (!quoted) {
      out.push_back(c);
    }
  }
  return out;
}

} // namespace

std::string prefixFormHint(std::string_view typed) {
  std::string outside = unquoted(typed);
  for (const Infix &infix : infixes) {
    if (outside.find(infix.symbol) != std::string::npos) {
      return msg::hintPrefixComparison(formOf(kindOfWord(infix.keyword, false), infix.keyword));
    }
  }
  NodeKind found = NodeKind::otherWord;
  std::string_view keyword;
  for (std::size_t at = 0; at < outside.size();) {
    std::size_t start = outside.find_first_not_of(" \t", at);
    if (start == std::string::npos) {
      break;
    }
    std::size_t end = std::min(outside.find_first_of(" \t", start), outside.size());
    std::string word = upper(std::string_view(outside).substr(start, end - start));
    if (NodeKind kind = kindOfWord(word, false); isCondition(kind) && found == NodeKind::otherWord) {
      found = kind;
      keyword = factsOf(kind).word;
    }
    at = end;
  }
  if (found == NodeKind::otherWord) {
    return {};
  }
  return msg::hintPrefixCondition(formOf(found, keyword));
}
