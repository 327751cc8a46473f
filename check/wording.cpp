// The Hungarian article before a number: "az" where the number's name starts
// with a vowel (1, 5, 1000, 5000 ...), "a" otherwise.
#include "check/wording.h"

std::string withArticle(int n) {
  std::string digits = std::to_string(n);
  bool vowel = digits[0] == '5' || (digits[0] == '1' && digits.size() % 3 == 1);
  return (vowel ? "az " : "a ") + digits + ".";
}
