// Parsing of the options that stand before the file arguments.
#include "app/options.h"

#include "diag/messages.h"
#include "diag/shown.h"
#include "platform/threads.h"
#include "store/error.h"

#include <optional>
#include <ostream>
#include <string_view>

#ifndef TABULON_VERSION
#define TABULON_VERSION "unknown"
#endif

namespace {

void printUsage(std::ostream &out) { out << msg::usage(maxAskedThreads, maxThreads); }

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
  // The language first, so that even a bad option before it is answered in
  // it; the options that take a value are stepped over with theirs.
  for (int k = 1; k + 1 < argc && std::string_view(argv[k]) != "--" && argv[k][0] == '-'; ++k) {
    std::string_view option = argv[k];
    Language chosen = Language::hu;
    if (option == "--lang" && languageNamed(argv[k + 1], chosen)) {
      setLanguage(chosen);
    }
    if (option == "--lang" || option == "--explain" || option == "--explain-rows" || option == "--threads") {
      ++k;
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
    if (arg != "--explain" && arg != "--explain-rows" && arg != "--lang" && arg != "--threads") {
      return refuse(out, err, msg::unknownOption(arg));
    }
    if (i + 1 >= argc) {
      return refuse(out, err, msg::optionValueMissing(arg));
    }
    std::string value = argv[++i];
    Language chosen = Language::hu;
    if (arg == "--lang") {
      if (!languageNamed(value, chosen)) {
        return refuse(out, err, msg::languageUnknown(value));
      }
    } else if (arg == "--explain-rows") {
      std::optional<std::size_t> rows = countOf(value);
      if (!rows) {
        return refuse(out, err, msg::explainRowsNotCount(value));
      }
      options.explainRows = *rows;
    } else if (arg == "--threads") {
      std::optional<std::size_t> threads = countOf(value);
      if (!threads || *threads < 1 || *threads > maxAskedThreads) {
        return refuse(out, err, msg::threadsOutOfRange(maxAskedThreads, value));
      }
      options.threads = static_cast<unsigned>(*threads);
    } else {
      std::optional<ExplainFormat> format = formatOf(value);
      if (!format) {
        return refuse(out, err, msg::explainFormUnknown(value));
      }
      options.explain.push_back({value, *format});
    }
  }
  for (; i < argc; ++i) {
    options.files.emplace_back(argv[i]);
  }
  return OptionsOutcome::run;
}
