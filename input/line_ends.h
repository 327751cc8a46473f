// The input is read as text: every CR LF pair stands for one line end, in the
// relations and in the copy that the output file starts with alike.
#pragma once

#include <string>

// Folds every CR LF pair into LF in place; a lone CR stays an ordinary byte.
void foldLineEnds(std::string &text);
