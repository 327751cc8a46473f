// The signal handler only unlinks and re-raises: both are async-signal-safe,
// and the name it unlinks is copied into static storage before it is armed.
#include "platform/signal_cleanup.h"

#ifndef _WIN32
#include <array>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 5> endingSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

volatile std::sig_atomic_t armed = 0;
int armedDir = -1;
std::array<char, 256> armedName{};
bool installed = false;
sigset_t heldBefore;

extern "C" void removeAndEnd(int signal) {
  if (armed != 0) {
    unlinkat(armedDir, armedName.data(), 0);
  }
  // SA_RESETHAND has restored the default action; the raised signal waits
  // until the handler returns, then ends the process with its usual status.
  raise(signal);
}

void install() {
  if (installed) {
    return;
  }
  installed = true;
  for (int signal : endingSignals) {
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) { // nohup, a background job
      continue;
    }
    struct sigaction action {};
    action.sa_handler = removeAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = static_cast<int>(SA_RESETHAND); // the int's sign bit, an unsigned constant
    sigaction(signal, &action, nullptr);
  }
}

sigset_t endingSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : endingSignals) {
    sigaddset(&set, signal);
  }
  return set;
}

} // namespace

void removeOnSignal(int dirfd, const char *name) {
  install();
  armed = 0;
  std::size_t length = std::strlen(name);
  if (length >= armedName.size()) {
    return;
  }
  std::memcpy(armedName.data(), name, length + 1);
  armedDir = dirfd;
  armed = 1;
}

void forgetOnSignal() { armed = 0; }

SignalsHeld::SignalsHeld() {
  sigset_t set = endingSet();
  sigprocmask(SIG_BLOCK, &set, &heldBefore);
}

// Back to the mask the process had: signals blocked by whoever started it stay blocked.
SignalsHeld::~SignalsHeld() { sigprocmask(SIG_SETMASK, &heldBefore, nullptr); }
#else
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <array>
#include <cwchar>

namespace {

volatile LONG armed = 0;
std::array<wchar_t, 32768> armedPath{};

// Runs on a thread of its own; the file is deleted once the process, which
// the default handler then ends, has closed it.
BOOL WINAPI removeAndEnd(DWORD /*event*/) {
  if (armed != 0) {
    DeleteFileW(armedPath.data());
  }
  return FALSE;
}

} // namespace

void removeOnSignal(int /*dirfd*/, const char * /*name*/) {}

void removeOnSignal(const wchar_t *path) {
  static bool installed = SetConsoleCtrlHandler(removeAndEnd, TRUE) != 0;
  armed = 0;
  std::size_t length = std::wcslen(path);
  if (!installed || length >= armedPath.size()) {
    return;
  }
  std::wmemcpy(armedPath.data(), path, length + 1);
  armed = 1;
}

void forgetOnSignal() { armed = 0; }

SignalsHeld::SignalsHeld() = default;
SignalsHeld::~SignalsHeld() = default;
#endif
