// The command line: options, then the input and output file. With no option
// the arguments are read as they always were.
#pragma once

#include "output/explain_format.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// One --explain: where the explanation goes ("-" for standard output) and in
// which form.
struct ExplainTarget {
  std::string path;
  ExplainFormat format = ExplainFormat::text;
};

struct Options {
  std::vector<ExplainTarget> explain;
  std::size_t explainRows = 1000;
  unsigned threads = 0; // 0: as many as the machine gives the process
  bool extended = false;
  std::vector<std::string> files; // the arguments after the options
};

enum class OptionsOutcome : std::uint8_t { run, exitSuccess, exitFailure };

// Reads the options of argv into options. --help and --version are answered
// here, and a bad option is reported here (usage on out, one line on err).
OptionsOutcome parseOptions(int argc, const char *const *argv, Options &options, std::ostream &out, std::ostream &err);
