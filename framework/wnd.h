// FWnd: an object that stands for one window.
//
// The dispatch contract shared by every window, dialog and page class:
// - A window is bound to its object when the shared procedure sees its
//   first message (WM_CREATE for windows, WM_INITDIALOG for dialogs and
//   pages) or when a control is subclassed; it is unbound after WM_DESTROY
//   has been handled, or when the subclass is removed.
// - A handler returns the message result. For windows, the class's default
//   function (DefWindowProcW, or CallWindowProcW for a subclassed control)
//   ends every handler chain; for dialogs and pages the shared procedure
//   returns the handler's result and only the dialog base writes
//   DWLP_MSGRESULT.
// - No exception leaves a shared procedure: it is caught there and reported
//   with the fatal box that names the procedure, and the message returns 0.
#pragma once

#include <windows.h>

#include "framework/fobject.h"

class FWnd : public FObject {
public:
    FWnd() = default;
    // Wraps an existing window; such a wrapper never destroys it.
    explicit FWnd(HWND existing) : hwnd(existing) {}
    // Destroys the window when this object created it.
    ~FWnd() override;
    FWnd(const FWnd&) = delete;
    FWnd& operator=(const FWnd&) = delete;

    HWND hwnd = nullptr;
    BOOL owned = FALSE;  // true when this object created the window and destroys it
};
