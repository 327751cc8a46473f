// Parsing of the options that stand before the file arguments.
#include "app/options.h"

#include "diag/messages.h"
#include "diag/shown.h"
#include "store/error.h"

#include <optional>
#include <ostream>
#include <string_view>

#ifndef TABULON_VERSION
#define TABULON_VERSION "unknown"
#endif

namespace {

void printUsage(std::ostream &out) {
  out << "Hasznalat: tabulon.exe [kapcsolok] inputfile outputfile" << std::endl
      << std::endl
      << "  --explain FILE     a kiertekeles menete FILE-ba is: a parancs faja, minden" << std::endl
      << "                     reszeredmeny es a parancs SQL-ben; a forma a kiterjesztestol" << std::endl
      << "                     fugg (.txt, .json, .dot, .sql); - eseten szovegkent a" << std::endl
      << "                     standard kimenetre, a tobbi uzenet utan" << std::endl
      << "  --explain-rows N   legfeljebb N sor eredmenyenkent a magyarazatban (1000)" << std::endl
      << "  --lang hu|en       az uzenetek nyelve: magyar (hu, alapertelmezett) vagy angol (en)" << std::endl
      << "  --extended         a hat operatoron tul: intersect, join, semijoin, antijoin," << std::endl
      << "                     divide, es R.a alaku oszlopnevek" << std::endl
      << "  --help             ez a leiras" << std::endl
      << "  --version          a program verzioja" << std::endl
      << "  --                 a kapcsolok vege" << std::endl;
}

std::optional<ExplainFormat> formatOf(std::string_view path) {
  if (path == "-") {
    return ExplainFormat::text;
  }
  std::size_t dot = path.rfind('.');
  std::size_t slash = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
    return std::nullopt;
  }
  std::string extension;
  for (char ch : path.substr(dot + 1)) {
    extension += ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
  }
  if (extension == "txt") {
    return ExplainFormat::text;
  }
  if (extension == "json") {
    return ExplainFormat::json;
  }
  if (extension == "dot") {
    return ExplainFormat::dot;
  }
  if (extension == "sql") {
    return ExplainFormat::sql;
  }
  return std::nullopt;
}

std::optional<std::size_t> countOf(std::string_view text) {
  if (text.empty() || text.size() > 18) {
    return std::nullopt;
  }
  std::size_t n = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') {
      return std::nullopt;
    }
    n = n * 10 + static_cast<std::size_t>(ch - '0');
  }
  return n;
}

OptionsOutcome refuse(std::ostream &out, std::ostream &err, const std::string &why) {
  printUsage(out);
  err << printable("tabulon: " + why) << std::endl; // why may quote an argument
  return OptionsOutcome::exitFailure;
}

} // namespace

OptionsOutcome parseOptions(int argc, const char *const *argv, Options &options, std::ostream &out, std::ostream &err) {
  // The language first, so that even a bad option before it is answered in it.
  for (int k = 1; k + 1 < argc && std::string_view(argv[k]) != "--" && argv[k][0] == '-'; ++k) {
    Language chosen = Language::hu;
    if (std::string_view(argv[k]) == "--lang" && languageNamed(argv[k + 1], chosen)) {
      setLanguage(chosen);
    }
  }
  int i = 1;
  for (; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      break; // "-" alone is a file name
    }
    if (arg == "--help") {
      printUsage(out);
      return OptionsOutcome::exitSuccess;
    }
    if (arg == "--version") {
      out << "tabulon " << TABULON_VERSION << std::endl;
      return OptionsOutcome::exitSuccess;
    }
    if (arg == "--extended") {
      options.extended = true;
      continue;
    }
    if (arg != "--explain" && arg != "--explain-rows" && arg != "--lang") {
      return refuse(out, err, "ismeretlen kapcsolo: " + std::string(arg));
    }
    if (i + 1 >= argc) {
      return refuse(out, err, "a(z) " + std::string(arg) + " kapcsolo utan hianyzik az ertek.");
    }
    std::string value = argv[++i];
    Language chosen = Language::hu;
    if (arg == "--lang") {
      if (!languageNamed(value, chosen)) {
        return refuse(out, err, "a(z) --lang erteke hu vagy en lehet: " + value);
      }
    } else if (arg == "--explain-rows") {
      std::optional<std::size_t> rows = countOf(value);
      if (!rows) {
        return refuse(out, err, "a(z) --explain-rows erteke nem nemnegativ egesz szam: " + value);
      }
      options.explainRows = *rows;
    } else {
      std::optional<ExplainFormat> format = formatOf(value);
      if (!format) {
        return refuse(out, err, value + ": a magyarazat formaja a kiterjesztesbol (.txt, .json, .dot, .sql) derul ki.");
      }
      options.explain.push_back({value, *format});
    }
  }
  for (; i < argc; ++i) {
    options.files.emplace_back(argv[i]);
  }
  return OptionsOutcome::run;
}
