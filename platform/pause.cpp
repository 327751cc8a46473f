// Platform layer for the pause after a failure. It pauses only when a person
// can answer and see the prompt: with input redirected, a pause would block a
// script or eat its input; with output redirected (a grading loop run from a
// terminal), the prompt would be hidden and the loop would wait unseen.
#include "platform/pause.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

void pauseConsole() {
  // Not _isatty: it also holds for the NUL device, which cannot be answered.
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) == 0 ||
      GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) == 0) {
    return;
  }
  std::cout.flush();
  [[maybe_unused]] int ignored = std::system("pause");
}
#else
#include <unistd.h>

void pauseConsole() {
  if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
    return;
  }
  std::cout << "Nyomjon Entert a folytatashoz..." << std::flush;
  int ch = 0;
  do {
    ch = std::getchar();
  } while (ch != '\n' && ch != EOF);
}
#endif
