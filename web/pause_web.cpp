// The console pause of the WebAssembly build: a page has no console to hold
// open, and a read of stdin there would pop up a prompt, so it never waits.
#include "platform/pause.h"

void pauseConsole() {}
