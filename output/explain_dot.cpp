// The Graphviz form of an explanation: the command tree as a digraph, each
// operator labelled with its result's name, columns and row count.
#include "output/explain.h"
#include "output/explain_nodes.h"

#include <ostream>
#include <string>

namespace {

constexpr std::size_t labelLimit = 60; // characters of one text in a label

// Text for a quoted label: quotes and backslashes escaped, '&' as an entity
// (Graphviz reads entities), control bytes and bytes that are no UTF-8 shown
// as \xNN, long texts cut short at a character boundary.
std::string labelText(std::string_view text) {
  std::string out;
  std::size_t chars = 0;
  forEachCharacter(text, [&](std::string_view c, bool printable) {
    if (chars++ == labelLimit) {
      out += "...";
      return false;
    }
    if (!printable) {
      out += hexEscape("\\\\x", c[0]);
    } else if (c == "&") {
      out += "&amp;";
    } else {
      if (c == "\"" || c == "\\") {
        out += '\\';
      }
      out += c;
    }
    return true;
  });
  return out;
}

std::string place(const CommandNode &node) { return std::to_string(node.line) + ":" + std::to_string(node.column); }

void writeNode(std::ostream &out, const Explained &e, const CommandNode &node) {
  const auto &failure = e.trace.failure();
  std::string shown = node.kind == NodeKind::literal ? "'" + labelText(node.text) + "'" : labelText(node.text);
  std::string label = shown + " " + place(node);
  std::string style;
  if (isRelational(node.kind)) {
    style = "shape=box";
    if (const TraceStep *step = e.trace.stepOf(node.id)) {
      label += "\\n" + labelText(headerText(step->result)) + "\\n" + rowsText(step->result.rowCount);
    } else if (failure && failure->nodeId == node.id) {
      label += "\\nFAILED: " + labelText(failure->message);
      style += ", color=red, fontcolor=red";
    } else {
      label += "\\nnot evaluated";
      style += ", style=dashed";
    }
  } else if (isCondition(node.kind)) {
    style = "shape=ellipse";
    const TraceCondition *condition = e.trace.conditionOf(node.id);
    label += condition != nullptr
                 ? "\\nheld for " + std::to_string(condition->trueRows) + " of " + rowsText(condition->rows)
                 : "\\nnot evaluated";
  } else {
    style = "shape=plaintext";
  }
  out << "  n" << node.id << " [" << style << ", label=\"" << label << "\"];\n";
}

} // namespace

void writeExplainDot(const Explained &explained, std::ostream &out) {
  out << "digraph tabulon {\n  ordering=out;\n  node [fontname=\"Helvetica\"];\n";
  for (const CommandNode &node : explained.command.nodes) {
    if (node.id > 0) {
      writeNode(out, explained, node);
    }
  }
  for (const CommandNode &node : explained.command.nodes) {
    if (node.id > 0) {
      for (int operand : operandIds(explained.command, node)) {
        out << "  n" << node.id << " -> n" << operand << ";\n";
      }
    }
  }
  if (const auto &failure = explained.trace.failure(); failure && failure->nodeId == 0) {
    out << "  error [shape=box, color=red, fontcolor=red, label=\"" << labelText(failure->message) << "\"];\n";
  }
  out << "}\n";
}
