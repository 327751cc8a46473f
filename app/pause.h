// The console pause after a failure.
#pragma once

// On Windows the command interpreter's "pause"; elsewhere a wait for Enter,
// only when a person sits at the terminal, so that scripts never block.
void pauseConsole();
