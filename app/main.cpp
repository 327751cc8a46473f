// Entry point of tabulon: tabulon inputfile outputfile
#include "app/driver.h"
#include "diag/messages.h"

#include <iostream>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <new>
#include <string>
#include <vector>

namespace {

std::string utf8FromWide(const wchar_t *wide) {
  int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) {
    return {};
  }
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back(); // the terminating NUL
  return utf8;
}

} // namespace

// The narrow argv of Windows is in the ANSI code page, which cannot hold every
// file name; the wide one can, and the program holds its paths as UTF-8.
int wmain(int argc, wchar_t **argv) {
  std::vector<std::string> args;
  std::vector<const char *> pointers;
  try {
    args.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
      args.push_back(utf8FromWide(argv[i]));
    }
    for (const std::string &a : args) {
      pointers.push_back(a.c_str());
    }
  } catch (const std::bad_alloc &) { // before the driver's guard
    std::cerr << msg::outOfMemoryLine() << std::endl;
    return 1;
  }
  return runTabulon(argc, pointers.data(), std::cout, std::cerr);
}
#else
int main(int argc, char **argv) { return runTabulon(argc, argv, std::cout, std::cerr); }
#endif
