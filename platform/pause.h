// The console pause after a failure.
#pragma once

// Only when both standard input and standard output are the console, so
// that scripts never block: on Windows the command interpreter's "pause",
// elsewhere a wait for Enter.
void pauseConsole();
