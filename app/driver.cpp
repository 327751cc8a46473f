// The driver. Console texts are fixed; every line end is flushed. A failure
// gives the one fixed message on standard output and, on standard error, one
// line that says what went wrong and where. Warnings go to standard error
// too, after the stage that found them, and change nothing else.
#include "app/driver.h"
#include "diag/shown.h"

#include "app/explain_output.h"
#include "app/options.h"
#include "app/run.h"
#include "check/check.h"
#include "diag/messages.h"
#include "exec/executor.h"
#include "exec/trace.h"
#include "input/reader.h"
#include "output/writer.h"
#include "platform/pause.h"
#include "platform/threads.h"
#include "store/error.h"

#include <algorithm>
#include <new>
#include <ostream>
#include <string>
#include <vector>

namespace {

void printBanner(std::ostream &out) {
  out << "Tabulon" << std::endl;
  out << msg::credits() << std::endl;
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

// The console of one run, and how many of the command's warnings it has
// printed so far.
struct Console {
  std::ostream &out;
  std::ostream &err;
  std::size_t warned = 0;
};

// Prints the warnings found since the last call, one line each.
void printWarnings(const Run &run, Console &console) {
  const std::vector<Warning> &warnings = run.command.warnings;
  for (; console.warned < warnings.size(); ++console.warned) {
    const Warning &w = warnings[console.warned];
    console.err << printable("tabulon: " + placeOf(run.inputPath, w.line, w.column) + ": " + msg::warningMark() +
                             w.message)
                << std::endl;
  }
}

// Thrown when the run's mistakes are noted in its command's errors.
struct MistakesNoted {};

// The check pass, which adds to the mistakes that reading found.
void checkMistakes(Run &run) {
  try {
    checkCommand(run.db, run.command);
  } catch (const ErrorLimitReached &) {
    // The errors noted so far are the run's answer.
  }
}

// The stages of one run; false when a stage failed with its own message.
bool runStages(Run &run, Console &console) {
  std::ostream &out = console.out;
  const std::string &input = run.inputPath;
  out << printable(msg::readingFile(input));
  if (!readInput(input, run.text)) {
    out << std::endl << printable(msg::fileMissing(input)) << std::endl << std::endl;
    console.err << printable("tabulon: " + input + ": " + msg::cannotRead()) << std::endl;
    if (run.trace) {
      run.trace->fail(0, 0, input + ": " + msg::cannotRead());
    }
    return false;
  }
  // The output's copy of the input goes out while the input is parsed and the
  // command evaluated; a run that fails removes it.
  FileHead output(run.outputPath, run.text.view());
  if (parallelism() > 1) {
    output.sendAhead();
  }
  loadFrom(run.db, run.command, run.text.view());
  if (!run.command.errors.empty()) {
    // A mistake in a row or a header hides none in the command.
    if (run.command.read && run.command.errors.size() < errorLimit) {
      checkMistakes(run);
    }
    throw MistakesNoted{};
  }
  out << "\t\t " << msg::done() << std::endl;
  printWarnings(run, console);
  out << msg::executing();
  if (run.trace) {
    run.trace->noteInputs(run.db);
  }
  checkMistakes(run);
  if (!run.command.errors.empty()) {
    throw MistakesNoted{};
  }
  Evaluation ev{run.db, run.command, run.budget};
  if (run.trace) {
    ev.trace = &*run.trace;
  }
  executeCommands(ev);
  out << "\t\t\t " << msg::done() << std::endl;
  printWarnings(run, console);
  out << printable(msg::writingFile(run.outputPath));
  const CommandNode *root = run.command.root();
  const Table *result = root != nullptr ? root->result : nullptr;
  if (!writeOutput(output, run.text.view(), result, out)) {
    console.err << printable("tabulon: " + run.outputPath + ": " + msg::cannotWrite()) << std::endl;
    return false;
  }
  out << "\t\t " << msg::done() << std::endl << std::endl;
  return true;
}

// One line per mistake, in file order, and a last line when the limit cut
// the search short.
std::string mistakeLines(Run &run) {
  std::vector<Warning> &errors = run.command.errors;
  std::stable_sort(errors.begin(), errors.end(), [](const Warning &a, const Warning &b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  std::string lines;
  for (const Warning &e : errors) {
    lines += lines.empty() ? "" : "\n";
    lines += printable("tabulon: " + placeOf(run.inputPath, e.line, e.column) + ": " + e.message);
  }
  if (errors.size() >= errorLimit) {
    lines += "\n";
    lines += printable("tabulon: " + run.inputPath + ": " + msg::errorLimitReached(errorLimit));
  }
  return lines;
}

int runGuarded(int argc, const char *const *argv, std::ostream &out, std::ostream &err, bool &failureShown) {
  Options options;
  OptionsOutcome parsed = parseOptions(argc, argv, options, out, err);
  if (parsed != OptionsOutcome::run) {
    return parsed == OptionsOutcome::exitSuccess ? 0 : 1;
  }
  setParallelism(options.threads != 0 ? options.threads : availableThreads());
  printBanner(out);
  if (options.files.size() < 2) {
    out << msg::argumentsMissing() << std::endl;
    out << msg::usageShort() << std::endl << std::endl;
    return 1;
  }
  Run run(options.files[0], options.files[1]);
  run.command.extended = options.extended;
  if (!options.explain.empty()) {
    run.trace.emplace(options.explainRows);
  }
  auto explain = [&](int status) {
    bool written = !run.trace || writeExplanations(options.explain, {run.command, *run.trace, run.db}, out, err);
    return written ? status : 1;
  };
  Console console{out, err};
  std::string why;
  try {
    return explain(runStages(run, console) ? 0 : 1);
  } catch (const MistakesNoted &) {
    why = mistakeLines(run);
  } catch (const InputError &e) {
    why = printable("tabulon: " + placeOf(run.inputPath, e.line(), e.column()) + ": " + e.message());
    if (run.trace) {
      run.trace->fail(e.line(), e.column(), e.message());
    }
  } catch (const std::bad_alloc &) {
    why = msg::outOfMemoryLine();
  } catch (const std::length_error &) {
    // A size past what a container or a 32-bit index can hold: no input is
    // wrong for being large, so it is worded as memory running out.
    why = msg::outOfMemoryLine();
  } catch (const std::exception &e) {
    why = printable("tabulon: " + msg::internalError(e.what()));
  } catch (...) {
    why = msg::unknownErrorLine();
  }
  if (run.trace && !run.trace->failure() && !run.command.errors.empty()) {
    const Warning &first = run.command.errors.front();
    run.trace->fail(first.line, first.column, first.message, first.node);
  }
  if (run.trace && !run.trace->failure()) {
    run.trace->fail(0, 0, why.substr(why.find(' ') + 1));
  }
  out << std::endl << std::endl << msg::badInputLine() << std::endl;
  failureShown = true;
  printWarnings(run, console);
  for (std::size_t from = 0; from <= why.size();) {
    std::size_t nl = std::min(why.find('\n', from), why.size());
    err << why.substr(from, nl - from) << std::endl;
    from = nl + 1;
  }
  int status = explain(1);
  pauseConsole();
  return status;
}

} // namespace

// Memory may run out anywhere, from the options to the failure report itself:
// it ends every run the same way, with texts that need no memory.
int runTabulon(int argc, const char *const *argv, std::ostream &out, std::ostream &err) {
  bool failureShown = false;
  const char *why = msg::outOfMemoryLine();
  try {
    return runGuarded(argc, argv, out, err, failureShown);
  } catch (const std::bad_alloc &) {
  } catch (const std::length_error &) {
  } catch (...) {
    why = msg::unknownErrorLine();
  }
  if (!failureShown) {
    out << std::endl << std::endl << msg::badInputLine() << std::endl;
  }
  err << why << std::endl;
  pauseConsole();
  return 1;
}
