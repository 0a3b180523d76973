// The application main. The main window arrives with the game view; until
// then a start either yields to a running copy or ends at once.
#include "app/appmain.h"

#include "framework/appvalues.h"

int AppMain(wchar_t* /*commandLine*/, int /*showCommand*/) {
    // A second start brings the running copy to the front and ends.
    if (SingleInstance(AppName)) return 0;
    return 0;
}
