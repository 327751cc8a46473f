// The command tokenizer. Nesting is tracked with a stack of open operators, so
// that a ')' always hands the current role back to the enclosing operator.
#include "input/tokenizer.h"

#include "store/error.h"

#include <array>
#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Keyword {
  std::string_view word;
  NodeKind kind;
};

constexpr std::array<Keyword, 15> keywords{{
    {"union", NodeKind::unionOp},
    {"minus", NodeKind::minusOp},
    {"product", NodeKind::productOp},
    {"project", NodeKind::projectOp},
    {"rename", NodeKind::renameOp},
    {"select", NodeKind::selectOp},
    {"EQ", NodeKind::eq},
    {"NEQ", NodeKind::neq},
    {"LT", NodeKind::lt},
    {"LTE", NodeKind::lte},
    {"GT", NodeKind::gt},
    {"GTE", NodeKind::gte},
    {"AND", NodeKind::andOp},
    {"OR", NodeKind::orOp},
    {"NOT", NodeKind::notOp},
}};

class Tokenizer {
public:
  Tokenizer(Command &command, CharStream &in) : command_(command), in_(in), last_(command.head()) {
    open_.push_back(command.head());
  }

  void run() {
    for (int ch = in_.get(); ch != CharStream::end && ch != '\n'; ch = in_.get()) {
      switch (ch) {
      case '\'':
        readLiteral();
        break;
      case ' ':
      case '\t':
        break;
      case '(':
        open_.push_back(createNode(kindOfWord(word_), ch));
        break;
      case ')':
      case ',':
        if (!word_.empty()) {
          createNode(NodeKind::name, ch);
        }
        if (ch == ',') {
          open_.back()->moreArgs.push_back({nextId_});
        } else if (open_.size() > 1) {
          open_.pop_back();
        }
        break;
      default:
        appendToWord(static_cast<char>(ch));
        break;
      }
    }
    last_->next = command_.head();
    command_.head()->prev = last_;
  }

private:
  // The token starts at its first character, or at the character that makes
  // an empty token.
  void markWordStart() {
    if (!started_) {
      started_ = true;
      wordLine_ = in_.line();
      wordColumn_ = in_.column();
    }
  }

  void appendToWord(char ch) {
    markWordStart();
    word_.push_back(ch);
  }

  void readLiteral() {
    markWordStart();
    for (int ch = in_.get(); ch != CharStream::end && ch != '\''; ch = in_.get()) {
      word_.push_back(static_cast<char>(ch));
    }
    createNode(NodeKind::literal, '\'');
  }

  CommandNode *createNode(NodeKind kind, int endedBy) {
    if (nextId_ == INT_MAX) {
      throw InputError("A parancs tul sok elemet tartalmaz.", in_.line(), in_.column());
    }
    markWordStart();
    CommandNode *node = &command_.nodes.emplace_back();
    node->id = nextId_++;
    node->firstArg = endedBy == '(' ? node->id + 1 : 0;
    node->kind = kind;
    node->text = std::move(word_);
    node->line = wordLine_;
    node->column = wordColumn_;
    node->prev = last_;
    last_->next = node;
    last_ = node;
    word_.clear();
    started_ = false;
    return node;
  }

  Command &command_;
  CharStream &in_;
  CommandNode *last_;
  std::vector<CommandNode *> open_; // operators that may still receive ',' operands
  std::string word_;
  long long wordLine_ = 0;
  long long wordColumn_ = 0;
  bool started_ = false;
  int nextId_ = 1;
};

} // namespace

NodeKind kindOfWord(std::string_view word) {
  for (const Keyword &k : keywords) {
    if (k.word == word) {
      return k.kind;
    }
  }
  return NodeKind::otherWord;
}

void parseCommand(Command &command, CharStream &in) {
  Tokenizer(command, in).run();
  orderCommands(command);
}
