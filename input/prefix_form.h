// Hints for conditions written the way other languages write them: infix
// (a = 'x', p AND q), where this command language takes the prefix form.
#pragma once

#include <string>
#include <string_view>

// " Az osszehasonlitas elotag alaku: EQ(nev, 'x')." and the like, for a
// token as typed that holds an infix comparison or a condition keyword (in
// any letter case); empty when it holds neither.
std::string prefixFormHint(std::string_view typed);
