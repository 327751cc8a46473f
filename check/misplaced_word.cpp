// Wording of the errors for words out of place. Keywords are case-sensitive;
// the suggestion catches UNION, eq and a letter or two out of place.
#include "check/misplaced_word.h"

#include "input/command.h"
#include "input/near_name.h"
#include "input/prefix_form.h"
#include "store/error.h"

namespace {

std::string shown(const CommandNode &node) {
  return shownName(node.kind == NodeKind::literal ? "'" + node.text + "'" : node.text);
}

} // namespace

InputError notAnOperator(const CommandNode &node) {
  std::string message;
  if (node.kind == NodeKind::otherWord && node.text.empty()) {
    message = "A ( elott hianyzik az operator neve.";
  } else if (isCondition(node.kind)) {
    message = "A(z) " + shownName(node.text) + " feltetel, nem operator.";
  } else {
    message = "A(z) " + shown(node) + " nem operator.";
    if (node.kind == NodeKind::otherWord) {
      message += suggestion(node.text, keywordsOf(isRelational));
    }
  }
  return {message, node.line, node.column};
}

InputError notACondition(const CommandNode &node) {
  std::string message;
  if (node.kind == NodeKind::otherWord && node.text.empty()) {
    message = "A ( elott hianyzik a feltetel neve.";
  } else {
    message = "A(z) " + shown(node) + " nem feltetel.";
    if (node.kind == NodeKind::otherWord) {
      message += suggestion(node.text, keywordsOf(isCondition));
    } else {
      message += prefixFormHint(node.typed.empty() ? node.text : node.typed);
    }
  }
  return {message, node.line, node.column};
}
