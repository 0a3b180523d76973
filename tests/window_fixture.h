// What the window object tests share: a loop with a time limit, plain and
// recording windows, a test frame, a scroll area, the delegate's log, and
// the fixture. Included by window_test.cpp and frame_test.cpp.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/window.h"
#include "platform/aygshell.h"
#include "platform/shellwindow.h"
#include "resources/resource.h"
#include "tests/support/testsupport.h"

namespace {

constexpr int kTimedOut = -999;
constexpr UINT kThrow = WM_APP + 1;          // wParam 1: the handler throws; 0: it returns kHandled
constexpr UINT kQuitWhenNoBox = WM_APP + 2;  // wParam: exit code
constexpr UINT kProbe = WM_APP + 3;
constexpr UINT kSetControlKey = WM_APP + 4;  // wParam: down
constexpr LRESULT kHandled = 1234;

constexpr int kColorWindowOnDevice = 0x40000005;

using Handler = std::function<LRESULT(HWND, WPARAM, LPARAM)>;

inline LRESULT ThrowOrAnswer(HWND, WPARAM shouldThrow, LPARAM) {
    if (shouldThrow) throw std::runtime_error("handler failure");
    return kHandled;
}

// True while a dialog window (a message box) of this thread exists.
inline bool BoxIsOpen() {
    bool open = false;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            wchar_t cls[16];
            if (GetClassNameW(window, cls, 16) && lstrcmpW(cls, L"#32770") == 0) *reinterpret_cast<bool*>(param) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&open));
    return open;
}

// Ends the loop with `code` once no box is open, so that the code is seen
// by the main loop and not swallowed by a box's own loop.
inline LRESULT QuitWhenNoBox(HWND hwnd, WPARAM code) {
    if (BoxIsOpen())
        PostMessageW(hwnd, kQuitWhenNoBox, code, 0);
    else
        PostQuitMessage(static_cast<int>(code));
    return 0;
}

// Presses or releases Ctrl in this thread's key state, as the accelerator
// translation reads it.
inline void SetControlKey(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Ends a stalled message loop with kTimedOut.
class LoopTimeout {
public:
    explicit LoopTimeout(UINT ms = 10000) : timer_(SetTimer(nullptr, 0, ms, OnTimer)) {}
    ~LoopTimeout() { KillTimer(nullptr, timer_); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(kTimedOut); }
    UINT_PTR timer_;
};

// Shows a top-level window without taking the activation: the desktop is
// shared with other tests' windows, which must keep theirs.
inline void ShowQuietly(HWND window) { ShowWindow(window, SW_SHOWNOACTIVATE); }

// A window of a system class, destroyed with its holder. A visible
// top-level window is shown quietly.
struct PlainWindow {
    HWND hwnd;
    PlainWindow(const wchar_t* cls, DWORD style, int x, int y, int width, int height, HWND parent = nullptr,
                int id = 0)
        : hwnd(CreateWindowExW(0, cls, L"", (style & WS_CHILD) ? style : style & ~WS_VISIBLE, x, y, width, height,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                               nullptr)) {
        if (!(style & WS_CHILD) && (style & WS_VISIBLE)) ShowQuietly(hwnd);
    }
    ~PlainWindow() {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
};

// Records the messages its WindowProc receives and what the registry said
// while it handled WM_CREATE and WM_DESTROY.
class RecordingWindow : public FWindow {
public:
    using FWindow::FWindow;
    std::vector<UINT> messages;
    std::map<UINT, Handler> handlers;
    bool boundAtCreate = false;
    bool boundAtDestroy = false;

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message == WM_CREATE) boundAtCreate = this->hwnd == hwnd && WindowMap.Find(hwnd) == this;
        if (message == WM_DESTROY) boundAtDestroy = WindowMap.Find(hwnd) == this;
        if (auto it = handlers.find(message); it != handlers.end()) return it->second(hwnd, wParam, lParam);
        return FWindow::WindowProc(hwnd, message, wParam, lParam);
    }
    int Count(UINT message) const { return static_cast<int>(std::count(messages.begin(), messages.end(), message)); }
};

// A main frame whose message switch sends each message to its handler, as
// the game's main window does; `handlers` go first.
class TestFrame : public FMainFrame {
public:
    std::vector<WPARAM> commands;
    std::map<UINT, Handler> handlers;

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (auto it = handlers.find(message); it != handlers.end()) return it->second(hwnd, wParam, lParam);
        switch (message) {
        case WM_CREATE: return OnCreate(hwnd, message, wParam, lParam);
        case WM_COMMAND: return OnCommand(hwnd, message, wParam, lParam);
        case WM_DESTROY: return OnDestroy(hwnd, message, wParam, lParam);
        case WM_ACTIVATE: return OnActivate(hwnd, message, wParam, lParam);
        case kThrow: return ThrowOrAnswer(hwnd, wParam, lParam);
        case kQuitWhenNoBox: return QuitWhenNoBox(hwnd, wParam);
        case kSetControlKey: SetControlKey(wParam != 0); return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
        }
    }
    LRESULT OnCommand(HWND, UINT, WPARAM wParam, LPARAM) override {
        commands.push_back(wParam);
        return 0;
    }
};

// A plain area whose scroll bars are served by FScrollWnd.
class ScrollArea : public FScrollWnd {
public:
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_VSCROLL) return OnVScroll(hwnd, message, wParam, lParam);
        if (message == WM_HSCROLL) return OnHScroll(hwnd, message, wParam, lParam);
        return FScrollWnd::WindowProc(hwnd, message, wParam, lParam);
    }
};

// What a subclass delegate was given.
struct DelegateCall {
    void* self;
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A delegate's state: the control it serves and the calls it received.
struct DelegateLog {
    FWindow* control = nullptr;
    std::vector<DelegateCall> calls;
};

// Records every call; answers kThrow and kQuitWhenNoBox, passes the rest to
// the control's previous procedure.
inline LRESULT RecordingDelegate(void* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = static_cast<DelegateLog*>(self);
    log->calls.push_back({self, hwnd, message, wParam, lParam});
    if (message == kThrow) return ThrowOrAnswer(hwnd, wParam, lParam);
    if (message == kQuitWhenNoBox) return QuitWhenNoBox(hwnd, wParam);
    return CallWindowProcW(log->control->prevProc, hwnd, message, wParam, lParam);
}

inline WNDPROC ProcedureOf(HWND hwnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }

// The main window as the game creates it (default placement, the device's
// COLOR_WINDOW), but shown quietly.
[[nodiscard]] bool CreateQuietMainWindow(FWindow& frame, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                                         int width = CW_USEDEFAULT, int height = CW_USEDEFAULT) {
    if (!CreateMainWindow(frame, x, y, width, height, WS_CLIPCHILDREN, 0, kColorWindowOnDevice)) return false;
    ShowQuietly(frame.hwnd);
    return true;
}

inline HWND CreateArea(FWindow& area, HWND parent, DWORD style = WS_VISIBLE, int width = 50, int height = 50, int id = 7) {
    return CreateBlessArea(area, parent, L"area", id, style, 0, 0, 0, width, height,
                           static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// A window's rectangle in its parent's client coordinates (screen
// coordinates for a top-level window).
inline RECT PlaceOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    if (HWND parent = GetAncestor(window, GA_PARENT); parent && parent != GetDesktopWindow())
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline std::string Describe(const RECT& r) {
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + "}";
}

// An in-memory dialog template: a hidden popup with two edit boxes that
// Tab moves between (ids 101 and 102).
inline std::vector<WORD> TwoEditTemplate() {
    std::vector<WORD> t;
    auto dword = [&](DWORD value) {
        t.push_back(LOWORD(value));
        t.push_back(HIWORD(value));
    };
    dword(WS_POPUP | WS_CAPTION);
    dword(0);
    t.insert(t.end(), {2, 10, 10, 150, 80});  // items, x, y, cx, cy
    t.insert(t.end(), {0, 0, 0});             // no menu, default class, no title
    for (WORD i = 0; i < 2; ++i) {
        if (t.size() % 2) t.push_back(0);  // items start on a DWORD boundary
        dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL);
        dword(0);
        t.insert(t.end(), {5, static_cast<WORD>(5 + 20 * i), 100, 14, static_cast<WORD>(101 + i)});
        t.insert(t.end(), {0xFFFF, 0x0081, 0, 0});  // EDIT, no text, no creation data
    }
    return t;
}

inline void PostKey(HWND target, WPARAM key) {
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scan) << 16));
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override { InitAppValues(GetModuleHandleW(nullptr)); }
};

using WindowBinding = WindowTest;
using WindowOwnership = WindowTest;
using FrameDestruction = WindowTest;
using Subclassing = WindowTest;
using WindowExceptions = WindowTest;
using MessageLoop = WindowTest;
using MainWindow = WindowTest;
using BlessArea = WindowTest;
using FrameMenuBar = WindowTest;
using ClientArea = WindowTest;
using Scroll = WindowTest;
using CenterWindowPlacement = WindowTest;
using MainFrame = WindowTest;
using WindowHelpers = WindowTest;

}  // namespace
