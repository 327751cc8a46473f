// Wording of the errors for words out of place. Keywords are case-sensitive;
// the suggestion catches UNION, eq and a letter or two out of place.
#include "check/misplaced_word.h"
#include "diag/shown.h"

#include "diag/messages.h"
#include "diag/near_name.h"
#include "input/command.h"
#include "input/prefix_form.h"
#include "store/error.h"

namespace {

std::string shown(const CommandNode &node) {
  return shownName(node.kind == NodeKind::literal ? "'" + node.text + "'" : node.text);
}

} // namespace

InputError notAnOperator(const CommandNode &node, bool extended) {
  std::string message;
  if (node.kind == NodeKind::otherWord && node.text.empty()) {
    message = msg::operatorNameMissing();
  } else if (isCondition(node.kind)) {
    message = msg::conditionNotOperator(node.text);
  } else {
    std::string hint;
    if (node.kind == NodeKind::otherWord) {
      hint = suggestion(node.text, keywordsOf(isRelational, extended));
      if (!extended && kindOfWord(node.text, true) != NodeKind::otherWord) {
        hint += msg::extendedOperator(node.text);
      }
    }
    message = msg::notOperator(shown(node), hint);
  }
  return {message, node.line, node.column};
}

InputError notACondition(const CommandNode &node) {
  std::string message;
  if (node.kind == NodeKind::otherWord && node.text.empty()) {
    message = msg::conditionNameMissing();
  } else {
    message = msg::notCondition(shown(node), node.kind == NodeKind::otherWord
                                                 ? suggestion(node.text, keywordsOf(isCondition, false))
                                                 : prefixFormHint(node.typed.empty() ? node.text : node.typed));
  }
  return {message, node.line, node.column};
}
