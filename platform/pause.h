// The console pause after a failure.
#pragma once

// Only when a person sits at the console, so that scripts never block: on
// Windows the command interpreter's "pause", elsewhere a wait for Enter.
void pauseConsole();
