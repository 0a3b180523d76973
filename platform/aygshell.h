// The handheld shell's menu bar, full-screen dialog set-up, input panel and
// extra controls, under the shell's own names so that calling code reads as
// it would on the device.
//
// The menu bar is a bar window at the bottom of its parent's client area,
// ScaleY(26) high, holding a real toolbar control:
// - With SHCMBF_HMENU, nToolBarId names a MENU resource: one drop-down
//   button per top-level item, labelled with the item's text; a choice in the
//   drop-down reaches the parent as WM_COMMAND (low word the item id, high
//   word 0, lParam 0), exactly as a menu choice. SHCMBM_GETMENU returns the
//   menu, which the bar owns and destroys with itself.
// - Otherwise the bar starts without buttons (the program's bar description
//   is empty); with nBmpId and cBmpImages its toolbar gets an image list cut
//   from that bitmap strip (square images as high as the strip, magenta
//   255,0,255 transparent). Callers add buttons and labels by sending TB_*
//   messages (TB_ADDBUTTONS, TB_ADDSTRING, TB_SETBUTTONINFO, ...) to hwndMB;
//   the bar passes them on to its toolbar. A button's command reaches the
//   parent as WM_COMMAND with the button id in the low word, 0 elsewhere.
// The bar stays at the bottom and above its siblings when the parent resizes.
//
// Lengths are 96-dpi lengths scaled to the screen's density, as the
// framework's ScaleY does.
#pragma once

#include <windows.h>

#include <commctrl.h>

// ---- Menu bar ---------------------------------------------------------------

struct SHMENUBARINFO {
    DWORD cbSize;       // sizeof(SHMENUBARINFO)
    HWND hwndParent;
    DWORD dwFlags;      // SHCMBF_*
    UINT nToolBarId;    // MENU resource with SHCMBF_HMENU; otherwise a bar description
    HINSTANCE hInstRes; // module holding the resources; null means the executable
    int nBmpId;         // bitmap strip of the button images, or 0
    int cBmpImages;     // number of images in the strip
    HWND hwndMB;        // out: the menu bar
    COLORREF clrBk;     // not used: the bar takes the system's button face colour
};
using PSHMENUBARINFO = SHMENUBARINFO*;

inline constexpr DWORD SHCMBF_EMPTYBAR = 0x0001;
inline constexpr DWORD SHCMBF_HMENU = 0x0010;

// Returns the bar's menu handle (SHCMBF_HMENU bars), else null.
inline constexpr UINT SHCMBM_GETMENU = WM_USER + 402;

// Creates the bar as a child of hwndParent and stores it in hwndMB. Fails
// (FALSE, hwndMB null) on a wrong cbSize, a parent that is not a window, or
// with SHCMBF_HMENU a menu that cannot be loaded.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// ---- Full-screen dialogs ----------------------------------------------------

struct SHINITDLGINFO {
    DWORD dwMask;  // SHIDIM_FLAGS
    HWND hDlg;
    DWORD dwFlags; // SHIDIF_*
};
using PSHINITDLGINFO = SHINITDLGINFO*;

inline constexpr DWORD SHIDIM_FLAGS = 0x0001;

inline constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;
inline constexpr DWORD SHIDIF_SIZEDLG = 0x0002;
inline constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
inline constexpr DWORD SHIDIF_SIPDOWN = 0x0008;

// SHIDIF_SIZEDLGFULLSCREEN: the dialog loses its caption and frame and
// covers the device screen below the top band. SHIDIF_SIZEDLG: the same, but
// ending above the input panel when it is up. SHIDIF_DONEBUTTON: a real "OK"
// button at the top right of the dialog's title band; clicking it sends IDOK.
// SHIDIF_SIPDOWN: nothing to do, the desktop has no panel to lower.
// FALSE when dwMask lacks SHIDIM_FLAGS or hDlg is not a window.
BOOL SHInitDialog(SHINITDLGINFO* info);

// ---- Input panel ------------------------------------------------------------

struct SIPINFO {
    DWORD cbSize;           // sizeof(SIPINFO)
    DWORD fdwFlags;         // SIPF_ON when the panel is up
    RECT rcVisibleDesktop;  // the screen between the top band and the panel (or the menu bar)
    RECT rcSipRect;         // where the panel is, or would be: just above the menu bar
    DWORD dwImDataSize;     // left untouched: there is no input method data
    void* pvImData;         // left untouched
};
using PSIPINFO = SIPINFO*;

inline constexpr DWORD SIPF_ON = 0x0001;

// WM_SETTINGCHANGE's wParam when the input panel went up or down.
inline constexpr UINT SPI_SETSIPINFO = 224;

// Reports the input panel as the device profile describes it (SipShown,
// SipHeight; down and ScaleY(80) high when not set). FALSE on a wrong cbSize.
BOOL SipGetInfo(SIPINFO* info);

// ---- Extra controls ---------------------------------------------------------

// Registers the "SIPPREF" class used in dialog templates: a control that
// never shows and does nothing. TRUE also when it is already registered.
BOOL SHInitExtraControls();

// ---- Pocket PC property-sheet values the desktop headers lack -----------------

inline constexpr DWORD PSH_MAXIMIZE = 0x2000;
inline constexpr UINT PSCB_GETVERSION = 3;   // the desktop sends 3 for button presses and ignores the result
inline constexpr UINT PSCB_GETTITLE = 4;
inline constexpr UINT PSCB_GETLINKTEXT = 5;

namespace ce {

// The id of the done button that SHInitDialog puts in a dialog's title
// band: an id of its own, so that it never clashes with a template's OK
// button; its click is passed on as IDOK.
inline constexpr int kDoneButtonId = 0xFDFF;

// Height of a menu bar in screen pixels.
int MenuBarHeight();

// The device screen below the top band (the navigation bar), in screen
// coordinates.
RECT FullScreenArea();

// The toolbar inside a menu bar, or null when `menuBar` is none.
HWND MenuBarToolbar(HWND menuBar);

// Like the desktop call, but honours PSH_MAXIMIZE as the handheld does. The
// desktop gives that bit a meaning of its own, so it is taken out; the sheet
// then covers the device screen below the top band (keeping its caption,
// which shows the title), and its own OK, Cancel, Apply and Help buttons are
// hidden, since a handheld sheet is closed from its menu bar (the hidden
// buttons' commands still work). The header's callback, if any, is called
// as before, after the sheet has been maximised.
INT_PTR PropertySheetW(PROPSHEETHEADERW* header);

}  // namespace ce
