// A warning: a mistake in the input that the program could read past with a
// right result. It never changes the output file or the exit status.
#pragma once

#include <string>

struct Warning {
  std::string message;
  long long line = 0;
  long long column = 0;
  int node = 0; // of an error: the operator that it stops, 0 when none
};
