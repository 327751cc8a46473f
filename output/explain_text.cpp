// The text form of an explanation: the command as an indented tree, one node
// a line, each operator's relation as an aligned table beneath it, and for
// each condition the number of rows it held for.
#include "diag/shown.h"
#include "output/explain.h"
#include "output/explain_nodes.h"
#include "store/error.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::size_t shownRows = 10;
constexpr std::size_t valueLimit = 60; // characters of one value or name on a line
// Deeper levels are not indented further, or a deep command would take space
// quadratic in its depth.
constexpr std::size_t drawnDepth = 32;

struct Shown {
  std::string text;
  std::size_t width = 0; // in characters
};

// A value as a terminal can show it on one line: control bytes and bytes that
// are no UTF-8 written as escapes, long texts cut short.
Shown shown(std::string_view value, std::size_t limit = valueLimit) {
  Shown s;
  forEachCharacter(value, [&](std::string_view c, bool printable) {
    if (s.width >= limit) {
      s.text += "...";
      s.width += 3;
      return false;
    }
    if (printable && !isC1Control(c)) {
      s.text += c;
      s.width += 1;
      return true;
    }
    std::string_view named = namedEscape(c[0]);
    std::string escape = named.empty() ? hexEscape("\\x", c[0]) : std::string(named);
    s.text += escape;
    s.width += escape.size();
    return true;
  });
  return s;
}

std::string padded(const Shown &s, std::size_t width, bool right) {
  std::string gap(width > s.width ? width - s.width : 0, ' ');
  return right ? gap + s.text : s.text + gap;
}

// The relation as an aligned table: the first rows, then how many are left.
std::vector<std::string> tableLines(const TraceRelation &r) {
  if (r.columns.empty()) {
    return {"(no columns)"};
  }
  std::size_t rows = std::min(shownRows, r.rows.size());
  std::vector<std::vector<Shown>> cells(rows + 1);
  std::vector<std::size_t> widths(r.columns.size(), 0);
  for (std::size_t c = 0; c < r.columns.size(); ++c) {
    cells[0].push_back(shown(r.columns[c].name));
    for (std::size_t row = 0; row < rows; ++row) {
      Shown cell = shown(c < r.rows[row].size() ? r.rows[row][c] : std::string());
      if (r.columns[c].width != 0) { // quoted, so that '' and ' ' differ
        cell.text = "'" + cell.text + "'";
        cell.width += 2;
      }
      cells[row + 1].push_back(cell);
    }
    for (const std::vector<Shown> &line : cells) {
      widths[c] = std::max(widths[c], line[c].width);
    }
  }
  std::vector<std::string> lines;
  std::string rule;
  for (std::size_t row = 0; row <= rows; ++row) {
    std::string text;
    for (std::size_t c = 0; c < r.columns.size(); ++c) {
      text += (c > 0 ? " | " : "") + padded(cells[row][c], widths[c], r.columns[c].width == 0);
      if (row == 0) {
        rule += (c > 0 ? "-+-" : "") + std::string(widths[c], '-');
      }
    }
    lines.push_back(text.substr(0, text.find_last_not_of(' ') + 1));
    if (row == 0) {
      lines.push_back(rule);
    }
  }
  if (r.rowCount == 0) {
    lines.emplace_back("(no rows)");
  } else if (r.rowCount > rows) {
    lines.push_back("... " + std::to_string(r.rowCount - rows) + " more " + (r.rowCount - rows == 1 ? "row" : "rows"));
  }
  return lines;
}

class TextWriter {
public:
  TextWriter(const Explained &explained, std::ostream &out)
      : e_(explained), out_(out), relationPlaces_(relationPlaces(explained.command)) {
    for (const TraceStep &step : e_.trace.steps()) {
      for (const TraceOperand &operand : step.operands) {
        if (operand.input) {
          reads_.emplace(operand.nodeId, &operand);
        }
      }
    }
    drawn_.assign(e_.command.nodes.size(), false);
  }

  void run() {
    const CommandNode *root = e_.command.root();
    if (root == nullptr) {
      if (!e_.trace.failure()) {
        out_ << "(the command line holds no command)\n";
      }
    } else {
      tree(root->id);
      bool heading = false;
      for (const CommandNode &node : e_.command.nodes) {
        if (node.id > 0 && !drawn_[static_cast<std::size_t>(node.id)]) {
          if (!heading) {
            out_ << "\nafter the command, outside its result:\n";
            heading = true;
          }
          tree(node.id);
        }
      }
    }
    if (const auto &failure = e_.trace.failure()) {
      out_ << "\nerror";
      if (failure->line > 0) {
        out_ << " at " << failure->line << ":" << failure->column;
      }
      if (const CommandNode *node = e_.command.findNode(failure->nodeId); node != nullptr && node->id > 0) {
        out_ << " (" << label(*node) << " " << node->line << ":" << node->column << ")";
      }
      out_ << ": " << printable(failure->message) << "\n";
    }
  }

private:
  struct Frame {
    int id;
    std::size_t depth;
    bool last;
  };

  void tree(int rootId) {
    std::vector<Frame> todo{{rootId, 0, true}};
    while (!todo.empty()) {
      Frame f = todo.back();
      todo.pop_back();
      lasts_.resize(f.depth + 1);
      lasts_[f.depth] = f.last;
      const CommandNode &node = *e_.command.findNode(f.id);
      std::string head = label(node) + " " + std::to_string(node.line) + ":" + std::to_string(node.column);
      if (drawn_[static_cast<std::size_t>(f.id)]) {
        out_ << prefix(f.depth, false) << head << "  (shown above)\n";
        continue;
      }
      drawn_[static_cast<std::size_t>(f.id)] = true;
      std::vector<int> operands = operandIds(e_.command, node);
      out_ << prefix(f.depth, false) << head << details(node) << "\n";
      if (const TraceStep *step = e_.trace.stepOf(node.id)) {
        std::string under = prefix(f.depth, true) + (operands.empty() ? "    " : "|   ");
        for (const std::string &text : tableLines(step->result)) {
          out_ << under << text << "\n";
        }
      }
      for (std::size_t i = operands.size(); i-- > 0;) {
        todo.push_back({operands[i], f.depth + 1, i + 1 == operands.size()});
      }
    }
  }

  // The tree's lines before a node's own line (below: before the lines
  // beneath it).
  std::string prefix(std::size_t depth, bool below) const {
    std::string text;
    std::size_t drawn = std::min(depth, drawnDepth);
    for (std::size_t level = 1; level < drawn; ++level) {
      text += lasts_[level] ? "    " : "|   ";
    }
    if (depth > drawnDepth) {
      // Appended piece by piece: "[" + std::to_string(...) trips a false
      // -Wrestrict in the mingw-w64 GCC 12.
      text += '[';
      text += std::to_string(depth);
      text += "] ";
    }
    if (depth > 0) {
      text += below ? (lasts_[depth] ? "    " : "|   ") : (lasts_[depth] ? "`-- " : "|-- ");
    }
    return text;
  }

  static std::string label(const CommandNode &node) {
    std::string text = shown(node.text).text;
    return node.kind == NodeKind::literal ? "'" + text + "'" : text;
  }

  std::string details(const CommandNode &node) const {
    const auto &failure = e_.trace.failure();
    bool failed = failure && failure->nodeId == node.id;
    if (isRelational(node.kind)) {
      if (const TraceStep *step = e_.trace.stepOf(node.id)) {
        std::string keys;
        for (const std::string &key : matchKeys(e_.command, *step)) {
          keys += (keys.empty() ? "  keys: " : ", ") + shown(key, 2 * valueLimit).text;
        }
        return "  -> " + shown(headerText(step->result), 2 * valueLimit).text + "  " + rowsText(step->result.rowCount) +
               "  " + msText(step->ms) + " ms" + keys;
      }
      return failed ? "  FAILED: " + failure->message : "  not evaluated";
    }
    if (isCondition(node.kind)) {
      const TraceCondition *condition = e_.trace.conditionOf(node.id);
      return condition != nullptr
                 ? "  held for " + std::to_string(condition->trueRows) + " of " + rowsText(condition->rows)
                 : "  not evaluated";
    }
    auto read = reads_.find(node.id);
    if (read != reads_.end() && *read->second->input < e_.trace.inputs().size()) {
      const TraceRelation &input = e_.trace.inputs()[*read->second->input];
      std::string text = "  input " + shown(headerText(input), 2 * valueLimit).text;
      if (input.name != node.text) {
        text += ", renamed " + label(node);
      }
      return text + "  " + rowsText(read->second->relation.rowCount);
    }
    if (node.kind == NodeKind::name) {
      return relationPlaces_[static_cast<std::size_t>(node.id)] ? "  relation" : "  column";
    }
    return "";
  }

  const Explained &e_;
  std::ostream &out_;
  std::unordered_map<int, const TraceOperand *> reads_; // name nodes that read a relation of the input
  std::vector<bool> relationPlaces_;
  std::vector<bool> drawn_;
  std::vector<bool> lasts_; // per depth: whether the node drawn there is its parent's last operand
};

} // namespace

void writeExplainText(const Explained &explained, std::ostream &out) { TextWriter(explained, out).run(); }
