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
