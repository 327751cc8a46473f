// Looking words up in the table of node facts.
#include "input/command.h"

NodeKind kindOfWord(std::string_view word, bool extended) {
  for (const NodeFacts &facts : nodeFacts) {
    if (facts.keyword && (extended || !facts.extended) && facts.word == word) {
      return facts.kind;
    }
  }
  return NodeKind::otherWord;
}

std::vector<std::string_view> keywordsOf(bool (*inGroup)(NodeKind), bool extended) {
  std::vector<std::string_view> words;
  for (const NodeFacts &facts : nodeFacts) {
    if (facts.keyword && (extended || !facts.extended) && inGroup(facts.kind)) {
      words.push_back(facts.word);
    }
  }
  return words;
}
