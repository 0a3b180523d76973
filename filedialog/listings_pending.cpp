// Stand-in for the Control Panel and Database listings while they are built
// on another branch: both list nothing. Removed when that branch is merged.
#include "filedialog/listings.h"

void ListControlPanelApplets(HWND, ShellIconCache&, FList<ListEntry*>&) {}

void ListDatabases(FList<ListEntry*>&) {}
