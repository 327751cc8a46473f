// The JSON form of an explanation: every node of the command with its
// operands, each operator's result and each condition's true-row count; the
// schema is described in docs/explain.md.
#include "output/explain.h"
#include "output/explain_nodes.h"
#include "store/int_value.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

// A JSON string; a byte that is no part of well-formed UTF-8 becomes \u00XX.
void writeString(std::ostream &out, std::string_view text) {
  std::string buf = "\"";
  forEachCharacter(text, [&](std::string_view c, bool printable) {
    char byte = c[0];
    if (c == "\"" || c == "\\") {
      buf += '\\';
      buf += byte;
    } else if (printable || byte == '\x7F') {
      buf += c;
    } else if (std::string_view named = namedEscape(byte); !named.empty()) {
      buf += named;
    } else {
      buf += hexEscape("\\u00", byte);
    }
    return true;
  });
  buf += '"';
  out << buf;
}

void writeRelation(std::ostream &out, const TraceRelation &r) {
  out << R"({"name": )";
  writeString(out, r.name);
  out << ", \"columns\": [";
  for (std::size_t c = 0; c < r.columns.size(); ++c) {
    out << (c > 0 ? ", " : "") << "{\"name\": ";
    writeString(out, r.columns[c].name);
    out << R"(, "type": ")" << typeText(r.columns[c].width) << R"("})";
  }
  out << "], \"row_count\": " << r.rowCount << ", \"rows\": [";
  for (std::size_t row = 0; row < r.rows.size(); ++row) {
    out << (row > 0 ? ", " : "") << "[";
    for (std::size_t c = 0; c < r.columns.size() && c < r.rows[row].size(); ++c) {
      out << (c > 0 ? ", " : "");
      if (r.columns[c].width == 0) {
        out << toInt32(r.rows[row][c]); // the number the value is compared as
      } else {
        writeString(out, r.rows[row][c]);
      }
    }
    out << "]";
  }
  out << "], \"truncated\": " << (r.rows.size() < r.rowCount ? "true" : "false");
}

void writeResult(std::ostream &out, const TraceStep &step) {
  writeRelation(out, step.result);
  out << ", \"ms\": " << msText(step.ms) << "}";
}

// The relation of the input file that a name names, as the engine looks it
// up: the first of that name.
const TraceRelation *inputNamed(const Trace &trace, const std::string &name) {
  for (const TraceRelation &r : trace.inputs()) {
    if (r.name == name) {
      return &r;
    }
  }
  return nullptr;
}

void writeNode(std::ostream &out, const Explained &e, const CommandNode &node) {
  out << R"({"id": )" << node.id << R"(, "kind": ")" << kindWord(node.kind) << R"(", "text": )";
  writeString(out, node.text);
  out << ", \"line\": " << node.line << ", \"column\": " << node.column << ", \"operands\": [";
  std::vector<int> operands = operandIds(e.command, node);
  for (std::size_t i = 0; i < operands.size(); ++i) {
    out << (i > 0 ? ", " : "") << operands[i];
  }
  out << "]";
  if (isRelational(node.kind)) {
    out << ", \"result\": ";
    const TraceStep *step = e.trace.stepOf(node.id);
    if (step != nullptr) {
      writeResult(out, *step);
    } else {
      out << "null";
    }
    if (node.kind == NodeKind::joinOp || node.kind == NodeKind::semijoinOp || node.kind == NodeKind::antijoinOp ||
        node.kind == NodeKind::divideOp) {
      out << ", \"keys\": [";
      std::vector<std::string> keys = step != nullptr ? matchKeys(e.command, *step) : std::vector<std::string>();
      for (std::size_t i = 0; i < keys.size(); ++i) {
        out << (i > 0 ? ", " : "");
        writeString(out, keys[i]);
      }
      out << "]";
    }
  } else if (node.kind == NodeKind::name) {
    if (const TraceRelation *input = inputNamed(e.trace, node.text)) {
      out << ", \"input\": ";
      writeRelation(out, *input);
      out << "}";
    }
  } else if (isCondition(node.kind)) {
    const TraceCondition *condition = e.trace.conditionOf(node.id);
    out << ", \"true_rows\": ";
    if (condition != nullptr) {
      out << condition->trueRows;
    } else {
      out << "null";
    }
  }
  out << "}";
}

// A list of places with their texts: the run's warnings or errors.
void writePlaces(std::ostream &out, std::string_view key, const std::vector<Warning> &places) {
  out << ",\n  \"" << key << "\": [";
  for (std::size_t i = 0; i < places.size(); ++i) {
    out << (i > 0 ? ",\n    " : "\n    ") << R"({"line": )" << places[i].line << R"(, "column": )" << places[i].column
        << R"(, "text": )";
    writeString(out, places[i].message);
    out << "}";
  }
  out << (places.empty() ? "]" : "\n  ]");
}

} // namespace

void writeExplainJson(const Explained &explained, std::ostream &out) {
  const CommandNode *root = explained.command.root();
  out << "{\n  \"version\": 1,\n  \"root\": ";
  if (root != nullptr) {
    out << root->id;
  } else {
    out << "null";
  }
  out << ",\n  \"nodes\": [";
  bool first = true;
  for (const CommandNode &node : explained.command.nodes) {
    if (node.id > 0) {
      out << (first ? "\n    " : ",\n    ");
      writeNode(out, explained, node);
      first = false;
    }
  }
  out << (first ? "]" : "\n  ]");
  // Every warning and error the run found, so that a reader need not parse
  // standard error.
  writePlaces(out, "warnings", explained.command.warnings);
  writePlaces(out, "errors", explained.command.errors);
  if (const auto &failure = explained.trace.failure()) {
    out << ",\n  \"error\": {\"node\": ";
    if (failure->nodeId > 0) {
      out << failure->nodeId;
    } else {
      out << "null";
    }
    out << ", \"line\": " << failure->line << ", \"column\": " << failure->column << ", \"message\": ";
    writeString(out, failure->message);
    out << "}";
  }
  out << "\n}\n";
}
