// Resource ids, grouped by owner. Shared by the resource script and the code.
#pragma once

// Application strings (one language only).
#define IDS_APP_NAME        100   // short name: window class, mutex, title prefix
#define IDS_APP_TITLE       101   // long title: main window caption
#define IDS_APP_VERSION     102
#define IDS_APP_RIGHTS      103
#define IDS_APP_WEBPAGE     104
#define IDS_APP_EMAIL       105

// Icons.
#define IDI_APP             100

// Main window: menus (1001 Japanese, 1002 English), commands, accelerators.
#define IDM_MAIN_J          1001
#define IDM_MAIN_E          1002
#define IDR_ACCELERATOR_MAIN 100
#define IDM_FILE_NEW        40101
#define IDM_FILE_OPEN       40102
#define IDM_FILE_EXIT       40104
#define IDM_HELP_ABOUT      40901

// Game view.
#define IDC_GAME_VIEW       13001

// Pictures drawn by tools/make_assets.py.
// Game view: piece strip (5 colours of 16 x 16, marked row below),
// background stripes, score digits "0123456789-" of 13 x 20.
#define IDB_PIECES          1002
#define IDB_BACKGROUND      1003
#define IDB_DIGITS          1004
// Gauge colours: 35 columns of vertical gradients (framework drawing).
#define IDB_GAUGE           103
// Menu-bar button images, 9 in a row over the mask colour magenta, in the
// order of the file dialog's toolbar: 0 Cancel, 1 OK, 2 Back, 3 Forward,
// 4 Up, 5 New Folder, 6 Delete, 7 View Menu, 8 Properties. The other
// dialogs' menu bars use 0 and 1.
#define IDB_BAR_BUTTONS     105   // 16 x 16 each
#define IDB_BAR_BUTTONS_HI  106   // 32 x 32 each, for high-density screens

// About sheet (framework): the device icons of the memory and battery pages,
// and the statics of the first page, which show the application strings
// IDS_APP_TITLE to IDS_APP_TITLE + 5 in order (106 has no text).
#define IDI_MEMORY          118
#define IDI_STORAGE_CARD    120
#define IDI_BATTERY         121
#define IDC_ABOUT_TITLE     11901
#define IDC_ABOUT_VERSION   11902
#define IDC_ABOUT_RIGHTS    11903
#define IDC_ABOUT_WEBPAGE   11904
#define IDC_ABOUT_EMAIL     11905
#define IDC_ABOUT_NOTE      11906

// Shell services: the standard images of the shared image lists, listed
// here in resource order; the lists load them in the order of
// kStandardIconIds (shell/iconcache.cpp).
#define IDI_SHELL_PROGRAM       110   // program window
#define IDI_SHELL_DOCUMENT      111   // document page
#define IDI_SHELL_SHORTCUT      112   // overlay: shortcut arrow
#define IDI_SHELL_IN_ROM        113   // overlay: memory chip
#define IDI_SHELL_ROM_SHORTCUT  114   // overlay: shortcut arrow with memory chip
#define IDI_SHELL_DATABASE      115   // stack of pages
#define IDI_SHELL_FOLDER        130   // closed folder
#define IDI_SHELL_MY_DEVICE     133   // handheld device
#define IDI_SHELL_MY_NETWORK    134   // networked computers
#define IDI_SHELL_MY_DOCUMENTS  135   // open folder with a document
#define IDI_SHELL_FAVORITES     138   // open folder with a red item
#define IDI_SHELL_CHECKLIST     139   // checklist with a pen
#define IDI_SHELL_STORE         140   // cylinder with an arrow

// File operations: the progress dialog (statics and the rectangle of its
// bar) and the questions (their icon and text statics, the icons they show).
#define IDC_FILEOP_SOURCE_LABEL  11901
#define IDC_FILEOP_SOURCE        11902
#define IDC_FILEOP_TARGET_LABEL  11903
#define IDC_FILEOP_TARGET        11904
#define IDC_FILEOP_GAUGE         11100
#define IDC_CONFIRM_ICON         10901
#define IDC_CONFIRM_OLD_ICON     10902
#define IDC_CONFIRM_NEW_ICON     10903
#define IDC_CONFIRM_TEXT         11901
#define IDC_CONFIRM_OLD_DETAILS  11904
#define IDC_CONFIRM_NEW_DETAILS  11905
#define IDC_CONFIRM_ALL          20
#define IDI_REPLACE_FILE         152
#define IDI_REPLACE_FOLDER       153
#define IDI_DELETE_WARNING       155

// Folder view of the file dialog: its list control, the commands it serves
// (view menu, New Folder, Delete, Up) and the sort arrows of its headers,
// two images over magenta: ascending, then descending.
#define IDC_FOLDER_LIST     11000
#define IDM_FOLDER_UP       32
#define IDM_FOLDER_NEW      33
#define IDM_FOLDER_VIEWMENU 34
#define IDM_FOLDER_DELETE   38
#define IDM_VIEW_LARGE      50
#define IDM_VIEW_SMALL      51
#define IDM_VIEW_LIST       52
#define IDM_VIEW_DETAILS    53
#define IDM_SORT_NAME       54
#define IDM_SORT_TYPE       55
#define IDM_SORT_SIZE       56
#define IDM_SORT_DATE       57
#define IDB_UPDOWN          101   // 7 x 16 each
#define IDB_UPDOWN_HI       102   // 14 x 32 each, for high-density screens

// File selection dialog: its controls, the commands of its toolbar, folder
// bar, popups and location menu (ancestor level k is 38000 + k), and Find's
// question and progress dialog.
#define IDC_FILE_NAME       10700
#define IDC_FILE_TYPE       10400
#define IDC_FOLDER_BAR      13300
#define IDC_FIND_TEXT       11900
#define IDC_FIND_NAME       11901
#define IDM_FOLDER_FIND     36
#define IDM_FOLDER_BACK     30
#define IDM_FOLDER_LOCATION 35
#define IDM_FOLDER_POPUP    39
#define IDM_ANCESTOR_FIRST  38000
#define IDM_ANCESTOR_LAST   38128

// ---- File dialog pictures ----------------------------------------------------
// Location pictures drawn by tools/location_images.py, 12 in a row over
// magenta. The folder bar adds them after the 9 menu-bar button images, so
// they are its images 9 to 20 and a special location shows its icon number
// (shell/locations.cpp) + 9; a plain folder shows image 10 (folder).
//   0 document      1 folder         2 Desktop       3 My Device
//   4 My Network    5 My Documents   6 storage card  7 open folder
//   8 Database      9 Control Panel  10 Trash Box    11 Find Result
#define IDB_LOCATIONS       107   // 16 x 16 each
#define IDB_LOCATIONS_HI    108   // 32 x 32 each, for high-density screens
