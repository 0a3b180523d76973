// Resource ids of the dialog and menu-bar tests.
#pragma once

#define IDB_TEST_STRIP      105     // the dialogs' button strip at single size
#define IDM_TEST_BAR        3001
#define IDM_TEST_NEW        41001
#define IDM_TEST_EXIT       41002
#define IDM_TEST_ABOUT      41003
#define IDM_TEST_GO         41010
#define IDC_TEST_SIPPREF    10950
