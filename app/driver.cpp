// The driver. Console texts are fixed; every line end is flushed. A failure
// gives the one fixed message on standard output and, on standard error, one
// line that says what went wrong and where.
#include "app/driver.h"

#include "exec/executor.h"
#include "input/reader.h"
#include "output/writer.h"
#include "platform/input_bytes.h"
#include "platform/pause.h"
#include "store/error.h"

#include <new>
#include <ostream>
#include <string>

namespace {

void printBanner(std::ostream &out) {
  out << "Tabulon" << std::endl;
  out << "Keszitette: a Tabulon csapata" << std::endl;
  out << std::endl;
}

std::string placeOf(const std::string &path, const InputError &e) {
  std::string place = path;
  if (e.line() > 0) {
    place += ":" + std::to_string(e.line());
    if (e.column() > 0) {
      place += ":" + std::to_string(e.column());
    }
  }
  return place;
}

// The stages of one run; false when a stage failed with its own message.
bool runStages(InputBytes &text, Database &db, Command &command, const std::string &input, const std::string &output,
               std::ostream &out, std::ostream &err) {
  out << "File (" << input << ") olvasasa...";
  if (!loadInput(db, command, input, text)) {
    out << std::endl << "A(z) " << input << " file nem letezik." << std::endl << std::endl;
    err << printable("tabulon: " + input + ": a file nem nyithato meg olvasasra.") << std::endl;
    return false;
  }
  out << "\t\t kesz." << std::endl;
  out << "Parancs vegrehajtasa...";
  Evaluation ev{db, command};
  executeCommands(ev);
  out << "\t\t\t kesz." << std::endl;
  out << "File (" << output << ") irasa...";
  const CommandNode *root = command.root();
  const Table *result = root != nullptr ? root->result : nullptr;
  if (!writeOutput(output, text.view(), result, out)) {
    err << printable("tabulon: " + output + ": a kimeneti file nem irhato.") << std::endl;
    return false;
  }
  out << "\t\t kesz." << std::endl << std::endl;
  if (result == nullptr) {
    err << "tabulon: Figyelem: a parancs nem ad eredmeny relaciot." << std::endl;
  }
  return true;
}

} // namespace

int runTabulon(int argc, const char *const *argv, std::ostream &out, std::ostream &err) {
  printBanner(out);
  if (argc < 3) {
    out << "Hianyzo parameterek." << std::endl;
    out << "Hasznalat: tabulon.exe inputfile outputfile" << std::endl << std::endl;
    return 1;
  }
  const std::string input = argv[1];
  const std::string output = argv[2];
  // Declared before db, so that it outlives every value that views it.
  InputBytes text;
  Database db;
  Command command;
  std::string why;
  try {
    return runStages(text, db, command, input, output, out, err) ? 0 : 1;
  } catch (const InputError &e) {
    why = printable("tabulon: " + placeOf(input, e) + ": " + e.message());
  } catch (const std::bad_alloc &) {
    why = "tabulon: elfogyott a memoria.";
  } catch (const std::exception &e) {
    why = std::string("tabulon: belso hiba: ") + e.what();
  } catch (...) {
    why = "tabulon: ismeretlen hiba.";
  }
  out << std::endl << std::endl << "Hib\xE1s input file!" << std::endl;
  err << why << std::endl;
  pauseConsole();
  return 1;
}
