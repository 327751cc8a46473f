// The groups of node kinds that the tokenizer, the evaluation order and the
// operators ask about.
#include "input/command.h"

bool isRelational(NodeKind kind) { return kind >= NodeKind::unionOp && kind <= NodeKind::selectOp; }

bool isComparison(NodeKind kind) { return kind >= NodeKind::eq && kind <= NodeKind::gte; }

bool isLogical(NodeKind kind) { return kind == NodeKind::andOp || kind == NodeKind::orOp || kind == NodeKind::notOp; }
