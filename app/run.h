// Everything one run of the program owns. The members are declared in the
// order their lifetimes need: values view the input bytes, results live in
// the database, the command's nodes point at results, and the trace and the
// budget refer to all three; members are destroyed in reverse.
#pragma once

#include "exec/memory_budget.h"
#include "exec/trace.h"
#include "input/command.h"
#include "platform/input_bytes.h"
#include "store/database.h"

#include <optional>
#include <string>

struct Run {
  InputBytes text;
  Database db;
  Command command;
  std::optional<Trace> trace; // only when an explanation was asked for
  MemoryBudget budget;
  std::string inputPath; // as the command line gave them
  std::string outputPath;

  Run(std::string input, std::string output) : inputPath(std::move(input)), outputPath(std::move(output)) {}
  Run(const Run &) = delete;
  Run &operator=(const Run &) = delete;
};
