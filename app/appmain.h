// The game's application main: runs the program once the process-wide values
// are set, and returns the process exit code.
#pragma once

#include <windows.h>

int AppMain(wchar_t* commandLine, int showCommand);
