// Removing a half-written temporary file when a signal ends the run.
#pragma once

// From now until forgetOnSignal, INT, TERM, HUP, QUIT and PIPE remove the
// file name in the folder open as dirfd, then end the process as the signal
// would have. A signal the process ignores stays ignored.
void removeOnSignal(int dirfd, const char *name);
void forgetOnSignal();
#ifdef _WIN32
// The same for Ctrl+C, Ctrl+Break and a closed console window, by full path;
// the file must be open with FILE_SHARE_DELETE.
void removeOnSignal(const wchar_t *path);
#endif

// Holds those signals back while a file is created or renamed and its
// cleanup armed or disarmed, so that no signal falls between the two.
class SignalsHeld {
public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld &) = delete;
  SignalsHeld &operator=(const SignalsHeld &) = delete;
};
