// The explanation files. A failure to write one is reported but leaves the
// others and the output file as they are.
#include "app/explain_output.h"

#include "platform/native_path.h"

#include <exception>
#include <fstream>
#include <ostream>

bool writeExplanations(const std::vector<ExplainTarget> &targets, const Explained &explained, std::ostream &out,
                       std::ostream &err) {
  bool written = true;
  for (const ExplainTarget &target : targets) {
    bool ok = false;
    try {
      if (target.path == "-") {
        writeExplanation(target.format, explained, out);
        out.flush();
        ok = !out.fail();
      } else {
        std::ofstream file(nativePath(target.path), std::ios::binary | std::ios::trunc);
        if (file.is_open()) {
          writeExplanation(target.format, explained, file);
          file.close();
          ok = !file.fail();
        }
      }
    } catch (const std::exception &) {
      ok = false; // memory ran out: the explanation is incomplete
    }
    if (!ok) {
      err << "tabulon: " << target.path << ": a magyarazat nem irhato ki." << std::endl;
      written = false;
    }
  }
  return written;
}
