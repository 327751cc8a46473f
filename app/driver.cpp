// The driver. Console texts are fixed; every line end is flushed. A failure
// gives the one fixed message on standard output and, on standard error, one
// line that says what went wrong and where. Warnings go to standard error
// too, after the stage that found them, and change nothing else.
#include "app/driver.h"

#include "app/explain_output.h"
#include "app/options.h"
#include "exec/executor.h"
#include "exec/trace.h"
#include "input/reader.h"
#include "output/writer.h"
#include "platform/input_bytes.h"
#include "platform/pause.h"
#include "store/error.h"

#include <new>
#include <optional>
#include <ostream>
#include <string>

namespace {

void printBanner(std::ostream &out) {
  out << "Tabulon" << std::endl;
  out << "Keszitette: a Tabulon csapata" << std::endl;
  out << std::endl;
}

std::string placeOf(const std::string &path, long long line, long long column) {
  std::string place = path;
  if (line > 0) {
    place += ':';
    place += std::to_string(line);
    if (column > 0) {
      place += ':';
      place += std::to_string(column);
    }
  }
  return place;
}

// Prints the warnings found since the last call, one line each.
void printWarnings(const Command &command, const std::string &input, std::size_t &printed, std::ostream &err) {
  for (; printed < command.warnings.size(); ++printed) {
    const Warning &w = command.warnings[printed];
    err << printable("tabulon: " + placeOf(input, w.line, w.column) + ": Figyelem: " + w.message) << std::endl;
  }
}

// The stages of one run; false when a stage failed with its own message.
bool runStages(InputBytes &text, Database &db, Command &command, Trace *trace, const std::string &input,
               const std::string &output, std::ostream &out, std::ostream &err, std::size_t &warned) {
  out << "File (" << printable(input) << ") olvasasa...";
  if (!loadInput(db, command, input, text)) {
    out << std::endl << "A(z) " << printable(input) << " file nem letezik." << std::endl << std::endl;
    err << printable("tabulon: " + input + ": a file nem nyithato meg olvasasra.") << std::endl;
    if (trace != nullptr) {
      trace->fail(0, 0, input + ": a file nem nyithato meg olvasasra.");
    }
    return false;
  }
  out << "\t\t kesz." << std::endl;
  printWarnings(command, input, warned, err);
  out << "Parancs vegrehajtasa...";
  Evaluation ev{db, command};
  if (trace != nullptr) {
    trace->noteInputs(db);
    ev.trace = trace;
  }
  executeCommands(ev);
  out << "\t\t\t kesz." << std::endl;
  out << "File (" << printable(output) << ") irasa...";
  const CommandNode *root = command.root();
  const Table *result = root != nullptr ? root->result : nullptr;
  if (!writeOutput(output, text.view(), result, out)) {
    err << printable("tabulon: " + output + ": a kimeneti file nem irhato.") << std::endl;
    return false;
  }
  out << "\t\t kesz." << std::endl << std::endl;
  return true;
}

int runGuarded(int argc, const char *const *argv, std::ostream &out, std::ostream &err, bool &failureShown) {
  Options options;
  OptionsOutcome parsed = parseOptions(argc, argv, options, out, err);
  if (parsed != OptionsOutcome::run) {
    return parsed == OptionsOutcome::exitSuccess ? 0 : 1;
  }
  printBanner(out);
  if (options.files.size() < 2) {
    out << "Hianyzo parameterek." << std::endl;
    out << "Hasznalat: tabulon.exe inputfile outputfile" << std::endl << std::endl;
    return 1;
  }
  const std::string &input = options.files[0];
  const std::string &output = options.files[1];
  // Declared before db, so that it outlives every value that views it: the
  // explanation reads the relations after the stages.
  InputBytes text;
  Database db;
  Command command;
  std::optional<Trace> trace;
  if (!options.explain.empty()) {
    trace.emplace(options.explainRows);
  }
  auto explain = [&](int status) {
    bool written = !trace || writeExplanations(options.explain, {command, *trace, db}, out, err);
    return written ? status : 1;
  };
  std::string why;
  std::size_t warned = 0;
  try {
    return explain(runStages(text, db, command, trace ? &*trace : nullptr, input, output, out, err, warned) ? 0 : 1);
  } catch (const InputError &e) {
    why = printable("tabulon: " + placeOf(input, e.line(), e.column()) + ": " + e.message());
    if (trace) {
      trace->fail(e.line(), e.column(), e.message());
    }
  } catch (const std::bad_alloc &) {
    why = "tabulon: elfogyott a memoria.";
  } catch (const std::exception &e) {
    why = printable(std::string("tabulon: belso hiba: ") + e.what());
  } catch (...) {
    why = "tabulon: ismeretlen hiba.";
  }
  if (trace && !trace->failure()) {
    trace->fail(0, 0, why.substr(why.find(' ') + 1));
  }
  out << std::endl << std::endl << "Hib\xE1s input file!" << std::endl;
  failureShown = true;
  printWarnings(command, input, warned, err);
  err << why << std::endl;
  int status = explain(1);
  pauseConsole();
  return status;
}

} // namespace

// Memory may run out anywhere, from the options to the failure report itself:
// it ends every run the same way, with texts that need no memory.
int runTabulon(int argc, const char *const *argv, std::ostream &out, std::ostream &err) {
  bool failureShown = false;
  const char *why = "tabulon: elfogyott a memoria.";
  try {
    return runGuarded(argc, argv, out, err, failureShown);
  } catch (const std::bad_alloc &) {
  } catch (...) {
    why = "tabulon: ismeretlen hiba.";
  }
  if (!failureShown) {
    out << std::endl << std::endl << "Hib\xE1s input file!" << std::endl;
  }
  err << why << std::endl;
  pauseConsole();
  return 1;
}
