// Writing the explanations that --explain asked for, once the run is over,
// whether it succeeded or not.
#pragma once

#include "app/options.h"
#include "output/explain.h"

#include <iosfwd>
#include <vector>

// Writes each target: a file, or standard output for "-". False, after one
// line on err per failed target, when a file cannot be written.
bool writeExplanations(const std::vector<ExplainTarget> &targets, const Explained &explained, std::ostream &out,
                       std::ostream &err);
