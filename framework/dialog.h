// Dialogs and property sheets as objects.
//
// Every dialog is a modal dialog run from a named template by an FDlg
// object; a property sheet is an FPropSheet holding FPropPage objects. The
// dispatch contract of framework/wnd.h holds, with these specifics:
// - The shared dialog procedure binds an FDlg at WM_INITDIALOG (the object
//   is its lParam), the shared page procedure binds an FPropPage at its
//   WM_INITDIALOG (the object is the lParam field of the PROPSHEETPAGEW).
//   Both add the object to the front of DialogMap, call its DialogProc for
//   every message and remove it after WM_DESTROY. Messages before binding
//   return FALSE.
// - A handler's result is the dialog procedure's result. DWLP_MSGRESULT is
//   written by the bases only: by FPropPage for the sheet notifications, and
//   by FDlg::SetNotifyResult for a derived dialog that must answer a
//   notification.
// - A C++ exception thrown by a handler is caught by the shared procedure,
//   reported with the fatal box "DlgProc" or "FPropPage", and the message
//   returns 0; the dialog keeps running.
//
// Dialogs run on the user-interface thread and, for file operations, on the
// worker thread too: DialogMap is locked inside its own calls, never while a
// handler runs.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/objectmap.h"
#include "framework/wnd.h"

// Every bound FDlg and FPropPage, most recently bound first. The main
// message loop offers each message to these windows (IsDialogMessageW).
extern FObjectMap<FWnd> DialogMap;

class FDlg : public FWnd {
public:
    FDlg() = default;
    // Unbinds the object should its window outlive it.
    ~FDlg() override;

    // Sends WM_INITDIALOG, WM_DESTROY, WM_COMMAND, WM_NOTIFY and WM_PAINT to
    // their handlers; any other message returns FALSE.
    virtual INT_PTR DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Makes the dialog full-screen with the OK button in its title band and
    // the standard menu bar (Cancel, OK); returns TRUE.
    virtual INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Returns TRUE.
    virtual INT_PTR OnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Ends the dialog for command ids 1 to 20 (OK, Cancel, Yes, No, All...)
    // with the whole wParam as end code and returns TRUE; FALSE otherwise.
    virtual INT_PTR OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Returns TRUE.
    virtual INT_PTR OnNotify(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the title band: a line across the screen at ScaleY(23) and the
    // dialog's text in dark blue above it. Returns TRUE.
    virtual INT_PTR OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The answer to the notification being handled; the handler then
    // returns TRUE.
    void SetNotifyResult(LONG_PTR result);
};

class FPropSheet;

class FPropPage : public FWnd {
public:
    FPropPage() = default;
    // Unbinds the object, and destroys a page handle that no sheet took.
    ~FPropPage() override;

    // Sends WM_INITDIALOG, WM_COMMAND, WM_NOTIFY and WM_PAINT to their
    // handlers; any other message returns FALSE.
    virtual INT_PTR DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Returns 0.
    virtual INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Returns 0.
    virtual INT_PTR OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Sends the sheet's notifications to the handlers below. Their result
    // becomes DWLP_MSGRESULT, except for PSN_RESET and PSN_HELP, which leave
    // it alone; returns TRUE for these codes, FALSE for any other.
    virtual INT_PTR OnNotify(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Returns FALSE, leaving the painting to the dialog manager.
    virtual INT_PTR OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // The sheet's notifications; all return 0 (accept) or do nothing.
    virtual INT_PTR OnApply();
    virtual void OnHelp();
    virtual INT_PTR OnKillActive();
    virtual INT_PTR OnQueryCancel();
    virtual void OnReset();
    virtual INT_PTR OnSetActive();
    virtual INT_PTR OnWizBack();
    virtual INT_PTR OnWizFinish();
    virtual INT_PTR OnWizNext();

    HPROPSHEETPAGE page = nullptr;  // the page handle, or none
    FPropSheet* sheet = nullptr;    // the sheet the page was added to
    bool inSheet = false;           // the handle is in the sheet's page array
};

class FPropSheet : public FWnd {
public:
    static constexpr int kMaxPages = 100;

    FPropSheet() = default;

    int count = 0;                             // pages added
    HPROPSHEETPAGE pages[kMaxPages] = {};      // their handles, in order
};

// Runs the dialog of template `templateName` (the "_E" or "_J" name) owned
// by `owner`, driven by `dialog`, and returns the value it ended with. A
// missing template is reported with the fatal box "DIALOG[name]" and -1 is
// returned without a dialog.
INT_PTR DoModal(FDlg& dialog, HWND owner, const wchar_t* templateName);

// Creates the page of template `templateName` for `page` and appends it to
// `sheet` while the sheet has room for it (kMaxPages); returns the page
// handle. A missing template is reported with the fatal box "DIALOG[name]"
// and no page is created (null), so that the sheet opens without it.
HPROPSHEETPAGE AddPage(FPropPage& page, FPropSheet& sheet, const wchar_t* templateName);

// Shows `sheet` owned by `owner` with `flags` (PSH_*) and the caption
// `title`, full-screen with the standard menu bar, and returns what
// PropertySheetW returns. With PSH_MODELESS the sheet window becomes the
// object's, owned by it; otherwise the call returns when the sheet closes.
INT_PTR ShowSheet(FPropSheet& sheet, HWND owner, DWORD flags, const wchar_t* title);

// Creates the menu bar of dialogs and sheets under `parent`: Cancel (IDCANCEL,
// image 0) and OK (IDOK, image 1) labelled in the interface language, or
// none when `withButtons` is false (questions answered by their own
// buttons). Returns the bar, or null.
HWND CreateDialogMenuBar(HWND parent, bool withButtons = true);
