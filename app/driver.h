// The program driver: banner, argument check, the three stages, and the one
// place where every failure is reported.
#pragma once

#include <iosfwd>

// Runs the program; returns the exit status: 0 when the output file was
// written, 1 otherwise.
int runTabulon(int argc, const char *const *argv, std::ostream &out, std::ostream &err);
