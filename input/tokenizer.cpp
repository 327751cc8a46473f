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
  int kind;
};

constexpr std::array<Keyword, 15> keywords{{
    {"union", kindUnion},
    {"minus", kindMinus},
    {"product", kindProduct},
    {"project", kindProject},
    {"rename", kindRename},
    {"select", kindSelect},
    {"EQ", kindEq},
    {"NEQ", kindNeq},
    {"LT", kindLt},
    {"LTE", kindLte},
    {"GT", kindGt},
    {"GTE", kindGte},
    {"AND", kindAnd},
    {"OR", kindOr},
    {"NOT", kindNot},
}};

// An operator that may still receive ',' operands, with the tail of its
// moreArgs list so that appending stays O(1).
struct OpenOperator {
  CommandNode *node;
  ArgLink *tail;
};

class Tokenizer {
public:
  Tokenizer(Database &db, CharStream &in) : db_(db), in_(in), last_(db.commands) {
    db_.nodeIndex.assign(1, db.commands);
    open_.push_back({db.commands, nullptr});
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
        open_.push_back({createNode(kindOfWord(word_), ch), nullptr});
        break;
      case ')':
      case ',':
        if (!word_.empty()) {
          createNode(kindName, ch);
        }
        if (ch == ',') {
          addArgLink();
        } else if (open_.size() > 1) {
          open_.pop_back();
        }
        break;
      default:
        appendToWord(static_cast<char>(ch));
        break;
      }
    }
    last_->next = db_.commands;
    db_.commands->prev = last_;
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
    createNode(kindLiteral, '\'');
  }

  CommandNode *createNode(int kind, int endedBy) {
    if (nextId_ == INT_MAX) {
      throw InputError("A parancs tul sok elemet tartalmaz.", in_.line(), in_.column());
    }
    markWordStart();
    auto *node = new CommandNode{};
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
    db_.nodeIndex.push_back(node);
    return node;
  }

  void addArgLink() {
    OpenOperator &current = open_.back();
    auto *link = new ArgLink{nextId_, nullptr};
    if (current.tail == nullptr) {
      current.node->moreArgs = link;
    } else {
      current.tail->next = link;
    }
    current.tail = link;
  }

  Database &db_;
  CharStream &in_;
  CommandNode *last_;
  std::vector<OpenOperator> open_;
  std::string word_;
  long long wordLine_ = 0;
  long long wordColumn_ = 0;
  bool started_ = false;
  int nextId_ = 1;
};

} // namespace

int kindOfWord(std::string_view word) {
  for (const Keyword &k : keywords) {
    if (k.word == word) {
      return k.kind;
    }
  }
  return kindOtherWord;
}

int parseCommand(Database &db, CharStream &in) {
  Tokenizer(db, in).run();
  return orderCommands(db);
}
