// The application main: the game.
#include "app/appmain.h"

#include "game/gamewindow.h"

int AppMain(wchar_t* /*commandLine*/, int showCommand) { return RunGame(showCommand); }
