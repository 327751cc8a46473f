// The input is read as text: every CR LF pair stands for one line end, in the
// relations and in the copy that the output file starts with alike.
#pragma once

#include <cstddef>

// Folds every CR LF pair of text[0, size) into LF in place; a lone CR stays an
// ordinary byte. The folded text's size.
std::size_t foldLineEnds(char *text, std::size_t size);
