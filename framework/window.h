// Window objects and message dispatch.
//
// Every window of the program is an object (see framework/wnd.h for the
// dispatch contract). The shared window procedure binds an object at
// WM_CREATE (it is the creation parameter), calls its WindowProc for every
// message and unbinds it after WM_DESTROY. A subclassed control's messages
// go to its SubclassProc, which hands them to a delegate or to the control's
// previous procedure.
//
// Everything here belongs to the user-interface thread.
#pragma once

#include <windows.h>

#include "framework/objectmap.h"
#include "framework/wnd.h"

class FWindow;

// Handles a subclassed control's messages on behalf of `delegateObj`.
using DelegateProc = LRESULT (*)(void* delegateObj, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class FWindow : public FWnd {
public:
    FWindow() = default;
    // Wraps an existing window without owning it.
    explicit FWindow(HWND existing) : FWnd(existing) {}
    // Removes the subclass and unbinds the object, then destroys the window
    // when owned; the messages of that destruction reach DefWindowProcW,
    // not this half-destroyed object.
    ~FWindow() override;

    // The object's message handler; this default returns DefWindowProcW.
    virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // A subclassed control's messages: to the delegate when there is one,
    // otherwise to the control's previous procedure.
    virtual LRESULT SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC prevProc = nullptr;
    void* delegateObj = nullptr;
    DelegateProc delegateProc = nullptr;
};

class FScrollWnd : public FWindow {
public:
    using FWindow::FWindow;
    // Scroll the client area with the horizontal or vertical bar; both return 0.
    virtual LRESULT OnHScroll(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnVScroll(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// A menu handle with its ownership: an owned menu is destroyed with the frame.
struct FMenuHandle {
    HMENU handle = nullptr;
    bool owned = false;
};

class FFrameWnd : public FScrollWnd {
public:
    FFrameWnd() = default;
    // Unbinds the frame, unsubclasses and destroys the member windows it
    // owns and an owned menu.
    ~FFrameWnd() override;

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override = 0;
    // WM_CREATE; returns 0 to go on with the creation.
    virtual LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // WM_DESTROY: ends the message loop with exit code 0.
    virtual LRESULT OnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND savedFocus = nullptr;
    FWindow menuBar;
    FMenuHandle menu;
    FWindow bar1;   // optional bar below the client area
    FWindow extra;
    FWindow bar2;   // second optional bar
};

class FMainFrame : public FFrameWnd {
public:
    // WM_ACTIVATE: keeps the focused window across deactivation.
    virtual LRESULT OnActivate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The registry of window objects (user-interface thread only).
extern FObjectMap<FWindow> WindowMap;

// Creates the main window (class AppName, caption AppTitle, icon 100) for
// `frame`; true when the window exists.
[[nodiscard]] bool CreateMainWindow(FWindow& frame, int x, int y, int width, int height, DWORD style,
                                    DWORD exStyle, int backgroundColourIndex);

// Creates a plain child area ("BlessArea") whose painting and input its
// owner handles; returns the window or null.
HWND CreateBlessArea(FWindow& area, HWND parent, const wchar_t* title, int controlId, DWORD style,
                     DWORD exStyle, int x, int y, int width, int height, HBRUSH background);

// Builds the frame's menu bar from MENU resource `menuId`; the bar owns the menu.
[[nodiscard]] bool CreateMenuBar(FFrameWnd& frame, int menuId);

// The frame's client area less the menu bar, the input panel when asked and
// the visible optional bars (moved under the area when asked).
[[nodiscard]] bool GetClientArea(FFrameWnd& frame, RECT& area, bool leaveRoomForInputPanel, bool moveBars);

// Subclasses `control` (once: a second call changes nothing).
void Subclass(FWindow& control, void* delegateObj, DelegateProc delegateProc);
// Puts the control's previous procedure back.
void Unsubclass(FWindow& control);

// Runs the main message loop until WM_QUIT; returns its exit code.
int RunMessageLoop(FWindow& mainWindow, bool useDialogKeys);

// Initialises the common controls (bar and cool classes plus `extraClasses`)
// and the shell's extra controls.
[[nodiscard]] bool InitControls(DWORD extraClasses);

// Centres a window over its parent (or the screen), kept inside the screen.
void CenterWindow(HWND window);

// Removes and adds style bits.
void ChangeStyle(FWnd& window, LONG remove, LONG add);

void BeginWaitCursor();
void EndWaitCursor();
