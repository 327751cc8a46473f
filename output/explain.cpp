// The choice among the forms of an explanation.
#include "output/explain.h"

void writeExplanation(ExplainFormat format, const Explained &explained, std::ostream &out) {
  switch (format) {
  case ExplainFormat::json:
    writeExplainJson(explained, out);
    break;
  case ExplainFormat::dot:
    writeExplainDot(explained, out);
    break;
  case ExplainFormat::sql:
    writeExplainSql(explained, out);
    break;
  default:
    writeExplainText(explained, out);
    break;
  }
}
