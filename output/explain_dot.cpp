// The Graphviz form of an explanation: the command tree as a digraph, each
// operator labelled with its result's name, columns and row count, each
// relation it read with the header and row count of the input.
#include "output/explain.h"
#include "output/explain_nodes.h"

#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

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

// What the writer knows beyond the node: the relations of the input that
// operators read, by name node, and where relations stand.
struct Context {
  std::unordered_map<int, const TraceOperand *> reads;
  std::vector<bool> relationPlaces;
};

void writeNode(std::ostream &out, const Explained &e, const Context &context, const CommandNode &node) {
  const auto &failure = e.trace.failure();
  std::string shown = node.kind == NodeKind::literal ? "'" + labelText(node.text) + "'" : labelText(node.text);
  std::string label = shown + " " + place(node);
  std::string style;
  if (isRelational(node.kind)) {
    style = "shape=box";
    if (const TraceStep *step = e.trace.stepOf(node.id)) {
      label += "\\n" + labelText(headerText(step->result)) + "\\n" + rowsText(step->result.rowCount);
      std::string keys;
      for (const std::string &key : matchKeys(e.command, *step)) {
        keys += (keys.empty() ? "\\nkeys: " : ", ") + labelText(key);
      }
      label += keys;
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
  } else if (node.kind == NodeKind::name && context.relationPlaces[static_cast<std::size_t>(node.id)]) {
    style = "shape=cylinder";
    auto read = context.reads.find(node.id);
    if (read != context.reads.end() && *read->second->input < e.trace.inputs().size()) {
      label += "\\ninput " + labelText(headerText(e.trace.inputs()[*read->second->input])) + "\\n" +
               rowsText(read->second->relation.rowCount);
    }
  } else {
    style = "shape=plaintext"; // a column, a literal, a new name
  }
  out << "  n" << node.id << " [" << style << ", label=\"" << label << "\"];\n";
}

} // namespace

void writeExplainDot(const Explained &explained, std::ostream &out) {
  out << "digraph tabulon {\n  ordering=out;\n  node [fontname=\"Helvetica\"];\n";
  Context context{{}, relationPlaces(explained.command)};
  for (const TraceStep &step : explained.trace.steps()) {
    for (const TraceOperand &operand : step.operands) {
      if (operand.input) {
        context.reads.emplace(operand.nodeId, &operand);
      }
    }
  }
  for (const CommandNode &node : explained.command.nodes) {
    if (node.id > 0) {
      writeNode(out, explained, context, node);
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
