// The explanation files, each replaced whole or not at all, as the output
// file is. A failure to write one is reported but leaves the others and the
// output file as they are.
#include "app/explain_output.h"

#include "diag/messages.h"
#include "diag/shown.h"

#include "platform/output_file.h"
#include "store/error.h"

#include <exception>
#include <new>
#include <ostream>
#include <string>

bool writeExplanations(const std::vector<ExplainTarget> &targets, const Explained &explained, std::ostream &out,
                       std::ostream &err) {
  bool written = true;
  for (const ExplainTarget &target : targets) {
    bool ok = false;
    std::string why;
    try {
      if (target.path == "-") {
        writeExplanation(target.format, explained, out);
        out.flush();
        ok = !out.fail();
      } else {
        ok = writeFileWhole(target.path, [&](std::ostream &file) { writeExplanation(target.format, explained, file); });
      }
    } catch (const ExplainRefused &e) {
      why = std::string(": ") + e.what();
    } catch (const std::bad_alloc &) {
      err << msg::outOfMemoryLine() << std::endl;
      written = false;
      continue;
    } catch (const std::exception &) {
      ok = false;
    }
    if (!ok) {
      err << printable("tabulon: " + msg::explanationNotWritten(target.path, why)) << std::endl;
      written = false;
    }
  }
  return written;
}
