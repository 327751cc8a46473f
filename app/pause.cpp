// Platform layer for the pause after a failure.
#include "app/pause.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifdef _WIN32
void pauseConsole() {
  std::cout.flush();
  [[maybe_unused]] int ignored = std::system("pause");
}
#else
#include <unistd.h>

void pauseConsole() {
  if (isatty(STDIN_FILENO) == 0) {
    return;
  }
  std::cout << "Nyomjon Entert a folytatashoz..." << std::flush;
  int ch = 0;
  do {
    ch = std::getchar();
  } while (ch != '\n' && ch != EOF);
}
#endif
