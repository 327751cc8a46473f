// Pieces of wording that several error messages share.
#pragma once

#include <string>

// A number with its Hungarian article and ordinal dot: "az 1.", "a 2.".
std::string withArticle(int n);
