// Looking words up in the table of node facts.
#include "input/command.h"

NodeKind kindOfWord(std::string_view word) {
  for (const NodeFacts &facts : nodeFacts) {
    if (facts.keyword && facts.word == word) {
      return facts.kind;
    }
  }
  return NodeKind::otherWord;
}

std::vector<std::string_view> keywordsOf(bool (*inGroup)(NodeKind)) {
  std::vector<std::string_view> words;
  for (const NodeFacts &facts : nodeFacts) {
    if (facts.keyword && inGroup(facts.kind)) {
      words.push_back(facts.word);
    }
  }
  return words;
}
