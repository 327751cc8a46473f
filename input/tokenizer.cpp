// The command tokenizer. Nesting is tracked with a stack of open operators, so
// that a ')' always hands the current role back to the enclosing operator.
// What it can mend (a missing ')' at the end, a ')' or text after the command)
// it mends with a warning; what it cannot (an operand too many, a literal
// without its closing quote, no command at all) stops the run.
#include "input/tokenizer.h"
#include "diag/shown.h"

#include "diag/lookalike.h"
#include "diag/messages.h"
#include "input/blanks.h"
#include "input/positions.h"
#include "input/prefix_form.h"
#include "store/error.h"

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace {

class Tokenizer {
public:
  Tokenizer(Command &command, CharStream &in) : command_(command), in_(in), last_(command.head()) {
    open_.push_back(command.head());
  }

  void run() {
    int ch = in_.get();
    if (ch == CharStream::end) {
      throw InputError(msg::inputEmpty(), 1, 1);
    }
    if (ch == '\n') {
      throw InputError(msg::lineOneEmpty(), 1, 1);
    }
    std::string_view rest = in_.rest();
    if (ch == '#' || ((ch == '-' || ch == '/') && rest.starts_with(static_cast<char>(ch)))) {
      throw InputError(msg::lineOneComment(), 1, 1);
    }
    for (; ch != CharStream::end && ch != '\n'; ch = in_.get()) {
      if (ended_ && ch != ' ' && ch != '\t') {
        ch = skipRestOfLine(ch);
        break;
      }
      switch (ch) {
      case '\'':
        if (complete_ && !started_) {
          throw InputError(strayMessage("'"), in_.line(), in_.column());
        }
        readLiteral();
        complete_ = true;
        break;
      case ' ':
      case '\t':
        if (started_) {
          typed_.push_back(static_cast<char>(ch));
        }
        break;
      case '(':
        open_.push_back(createNode(kindOfWord(word_, command_.extended), ch));
        complete_ = false;
        operandStarted_ = false;
        break;
      case ')':
      case ',':
        if (!word_.empty()) {
          createNode(NodeKind::name, ch);
        }
        if (ch == ',') {
          addOperand();
          complete_ = false;
        } else {
          if (!operandStarted_ && !open_.back()->moreArgs.empty()) {
            warnIfEmptyOperand(); // a ',' right before ')'
          }
          close();
        }
        break;
      default:
        if (complete_ && !started_) {
          stray_ = true; // reported once the word is whole, with the word
        }
        appendToWord(static_cast<char>(ch));
        break;
      }
    }
    finish(ch);
    last_->next = command_.head();
    command_.head()->prev = last_;
  }

  // Where the first literal that ran on past its line began, or {0, 0}.
  [[nodiscard]] std::pair<long long, long long> spanningLiteral() const { return {spanLine_, spanColumn_}; }

private:
  static std::size_t operandLimit(NodeKind kind) { return static_cast<std::size_t>(factsOf(kind).operandLimit); }

  // A token right after a whole operand, where only ',' or ')' may stand: a
  // missing ',' or an infix form, which would otherwise be left out of the
  // command without a word.
  static std::string strayMessage(const std::string &word) {
    std::string hint;
    if (word == "'") {
      hint = msg::hintQuoteInText();
    } else if (isCondition(kindOfWord(word, false))) {
      hint = msg::hintJoinConditions();
    } else {
      hint = prefixFormHint(word);
      hint = hint.empty() ? msg::hintCommaMissing() : hint;
    }
    return msg::strayToken(word, hint);
  }

  static std::string limitMessage(const CommandNode &op, std::size_t limit) {
    bool condition = isComparison(op.kind) || isLogical(op.kind);
    return condition ? msg::conditionOperandLimit(op.text, limit) : msg::operatorOperandLimit(op.text, limit);
  }

  void addOperand() {
    CommandNode *op = open_.back();
    warnIfEmptyOperand();
    reportSurplus(); // an empty operand between two ','
    std::size_t limit = operandLimit(op->kind);
    op->moreArgs.push_back({nextId_});
    if (limit != 0 && op->moreArgs.size() + 1 > limit) {
      surplus_ = op;
      surplusLine_ = in_.line();
      surplusColumn_ = in_.column();
    }
  }

  // An empty operand (two ',' in a row, a ',' right after '(' or before ')')
  // stands for the operand that follows, as ever; the user most likely
  // typed one ',' too many or lost a name.
  void warnIfEmptyOperand() {
    if (!operandStarted_ && open_.size() > 1 && !emptyWarned_) {
      emptyWarned_ = true;
      warn(msg::emptyOperand(), in_.line(), in_.column());
    }
    operandStarted_ = false;
  }

  // An operand too many stops the run at its first token, or at its ',' when
  // it is empty.
  void reportSurplus() {
    if (surplus_ != nullptr) {
      throw InputError(limitMessage(*surplus_, operandLimit(surplus_->kind)), surplusLine_, surplusColumn_);
    }
  }

  // A ')' before the command has begun is passed over, with one warning.
  void close() {
    if (open_.size() > 1) {
      reportSurplus();
      open_.pop_back();
      ended_ = open_.size() == 1;
      complete_ = true;
      operandStarted_ = true; // the operator just closed is its parent's operand
    } else if (!strayWarned_) {
      warn(msg::unmatchedClose(), in_.line(), in_.column());
      strayWarned_ = true;
    }
  }

  // After the command's last ')' nothing more is read on its line; returns
  // the character that ends the line.
  int skipRestOfLine(int ch) {
    if (ch == ')') {
      warn(msg::unmatchedClose(), in_.line(), in_.column());
    } else {
      warn(msg::textAfterCommand(), in_.line(), in_.column());
    }
    while (ch != CharStream::end && ch != '\n') {
      ch = in_.get();
    }
    return ch;
  }

  // The end of the command line: an operator still open gets its ')' and
  // its pending word; a word alone still names what the command is.
  void finish(int ch) {
    long long line = in_.line();
    long long column = ch == '\n' ? in_.column() : in_.column() + 1;
    if (ch == '\n') {
      checkLineTwo();
    }
    if (open_.size() > 1) {
      if (!word_.empty()) {
        createNode(NodeKind::name, ch);
      }
      reportSurplus();
      warn(msg::closersMissing(open_.size() - 1), line, column);
    } else if (!word_.empty()) {
      if (nextId_ == 1) {
        createNode(NodeKind::name, ch);
      } else {
        warn(msg::textAfterCommand(), wordLine_, wordColumn_);
      }
    }
    if (nextId_ == 1) {
      throw InputError(msg::commandEmpty(), 1, 1);
    }
  }

  // Line 2 is read as a header. A command that goes on there, or a second
  // command, would otherwise be reported as a header without types.
  void checkLineTwo() const {
    std::string_view rest = in_.rest();
    std::string_view two = rest.substr(0, rest.find('\n'));
    std::size_t open = two.find('(');
    if (open_.size() > 1 && !two.empty() && open == std::string_view::npos &&
        two.find_first_not_of(" \t") != std::string_view::npos) {
      throw InputError(msg::commandGoesOn(), in_.line() + 1, 1);
    }
    if (open == std::string_view::npos || !isRelational(kindOfWord(trimmed(two.substr(0, open)), command_.extended))) {
      return;
    }
    // A header names a type after each column; a command's operands have none.
    std::string_view list = two.substr(open + 1);
    for (std::size_t at = 0; at <= list.size();) {
      std::size_t comma = std::min(list.find(',', at), list.size());
      std::string_view entry = trimmed(list.substr(at, comma - at));
      if (entry.find_first_of(" \t") != std::string_view::npos) {
        return;
      }
      at = comma + 1;
    }
    throw InputError(msg::secondCommand(), in_.line() + 1, 1);
  }

  void warn(std::string message, long long line, long long column) {
    command_.warnings.push_back({std::move(message), line, column});
  }

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
    typed_.push_back(ch);
  }

  void readLiteral() {
    long long quoteLine = in_.line();
    long long quoteColumn = in_.column();
    markWordStart();
    int ch = in_.get();
    typed_.push_back('\'');
    for (; ch != CharStream::end && ch != '\''; ch = in_.get()) {
      word_.push_back(static_cast<char>(ch));
      typed_.push_back(static_cast<char>(ch));
    }
    typed_.push_back('\'');
    if (ch == CharStream::end) {
      throw InputError(msg::literalOpen(), quoteLine, quoteColumn);
    }
    // A literal may hold a line end, but more often its closing quote is
    // missing, and a quote of a later line closes it.
    if (in_.line() > quoteLine && spanLine_ == 0) {
      spanLine_ = quoteLine;
      spanColumn_ = quoteColumn;
      warn(msg::literalSpansLines(), quoteLine, quoteColumn);
    }
    createNode(NodeKind::literal, '\'');
  }

  CommandNode *createNode(NodeKind kind, int endedBy) {
    if (nextId_ == INT_MAX) {
      throw InputError(msg::tooManyTokens(), in_.line(), in_.column());
    }
    markWordStart();
    if (surplus_ != nullptr) {
      throw InputError(limitMessage(*surplus_, operandLimit(surplus_->kind)), wordLine_, wordColumn_);
    }
    if (stray_) {
      throw InputError(strayMessage(typed_.empty() ? word_ : typed_), wordLine_, wordColumn_);
    }
    CommandNode *node = &command_.nodes.emplace_back();
    node->id = nextId_++;
    node->firstArg = endedBy == '(' ? node->id + 1 : 0;
    node->kind = kind;
    node->text = std::move(word_);
    node->line = wordLine_;
    node->column = wordColumn_;
    while (!typed_.empty() && (typed_.back() == ' ' || typed_.back() == '\t')) {
      typed_.pop_back();
    }
    if (kind != NodeKind::literal && !lookalikeWarned_) {
      if (std::string mark = firstLookalike(node->text); !mark.empty()) {
        lookalikeWarned_ = true;
        warn(msg::lookalikeInName(node->text, mark), node->line, node->column);
      }
    }
    operandStarted_ = true;
    if (typed_.size() != node->text.size() + (kind == NodeKind::literal ? 2 : 0)) {
      node->typed = std::move(typed_);
    }
    typed_.clear();
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
  std::string typed_; // the word as typed, blanks and quotes kept
  long long wordLine_ = 0;
  long long wordColumn_ = 0;
  bool started_ = false;
  bool ended_ = false; // the command's outermost ')' has been read
  bool strayWarned_ = false;
  bool complete_ = false;       // the operand under way is whole: only ',' or ')' may follow
  bool stray_ = false;          // a word began where only ',' or ')' may stand
  bool operandStarted_ = false; // a token since the last '(' or ','
  bool emptyWarned_ = false;
  bool lookalikeWarned_ = false;
  CommandNode *surplus_ = nullptr; // an operator given an operand too many
  long long surplusLine_ = 0;      // at the ',' before that operand
  long long surplusColumn_ = 0;
  long long spanLine_ = 0; // of the first literal that ran on past its line
  long long spanColumn_ = 0;
  int nextId_ = 1;
};

} // namespace

void parseCommand(Command &command, CharStream &in) {
  Tokenizer tokenizer(command, in);
  try {
    tokenizer.run();
  } catch (const InputError &e) {
    // After a literal that ran on past line 1, that literal is the likely
    // cause, wherever the mistake shows.
    if (auto [line, column] = tokenizer.spanningLiteral(); line != 0) {
      column = CharacterColumns(in.whole()).column(line, column);
      throw InputError(e.message() + msg::causeLiteralSpans(line, column), e.line(), e.column());
    }
    throw;
  }
  orderCommands(command);
}
