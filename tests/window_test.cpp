// Window objects: binding at creation and unbinding after destruction,
// ownership, subclassing, the exception barrier of the shared procedures,
// the main window, child areas, the menu bar's room, the main message loop,
// scrolling, centring and 96-dpi scaling, all driven as real windows.
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

LRESULT ThrowOrAnswer(HWND, WPARAM shouldThrow, LPARAM) {
    if (shouldThrow) throw std::runtime_error("handler failure");
    return kHandled;
}

// True while a dialog window (a message box) of this thread exists.
bool BoxIsOpen() {
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
LRESULT QuitWhenNoBox(HWND hwnd, WPARAM code) {
    if (BoxIsOpen())
        PostMessageW(hwnd, kQuitWhenNoBox, code, 0);
    else
        PostQuitMessage(static_cast<int>(code));
    return 0;
}

// Presses or releases Ctrl in this thread's key state, as the accelerator
// translation reads it.
void SetControlKey(bool down) {
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
void ShowQuietly(HWND window) { ShowWindow(window, SW_SHOWNOACTIVATE); }

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
LRESULT RecordingDelegate(void* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = static_cast<DelegateLog*>(self);
    log->calls.push_back({self, hwnd, message, wParam, lParam});
    if (message == kThrow) return ThrowOrAnswer(hwnd, wParam, lParam);
    if (message == kQuitWhenNoBox) return QuitWhenNoBox(hwnd, wParam);
    return CallWindowProcW(log->control->prevProc, hwnd, message, wParam, lParam);
}

WNDPROC ProcedureOf(HWND hwnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }

// The main window as the game creates it (default placement, the device's
// COLOR_WINDOW), but shown quietly.
[[nodiscard]] bool CreateQuietMainWindow(FWindow& frame, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                                         int width = CW_USEDEFAULT, int height = CW_USEDEFAULT) {
    if (!CreateMainWindow(frame, x, y, width, height, WS_CLIPCHILDREN, 0, kColorWindowOnDevice)) return false;
    ShowQuietly(frame.hwnd);
    return true;
}

HWND CreateArea(FWindow& area, HWND parent, DWORD style = WS_VISIBLE, int width = 50, int height = 50, int id = 7) {
    return CreateBlessArea(area, parent, L"area", id, style, 0, 0, 0, width, height,
                           static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// A window's rectangle in its parent's client coordinates (screen
// coordinates for a top-level window).
RECT PlaceOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    if (HWND parent = GetAncestor(window, GA_PARENT); parent && parent != GetDesktopWindow())
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Describe(const RECT& r) {
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + "}";
}

// An in-memory dialog template: a hidden popup with two edit boxes that
// Tab moves between (ids 101 and 102).
std::vector<WORD> TwoEditTemplate() {
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

void PostKey(HWND target, WPARAM key) {
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

// ---- Binding and unbinding ------------------------------------------------------

TEST_F(WindowBinding, MessagesBeforeCreateReachNoObject) {
    PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    struct Case {
        const char* name;
        bool main;
    };
    const Case cases[] = {/* 0 */ {"main window", true}, /* 1 */ {"child area", false}};
    for (const Case& c : cases) {
        RecordingWindow window;
        bool created = c.main ? CreateQuietMainWindow(window) : CreateArea(window, parent.hwnd) != nullptr;
        ASSERT_TRUE(created) << c.name;
        ASSERT_FALSE(window.messages.empty()) << c.name;
        // WM_NCCREATE, WM_NCCALCSIZE and WM_GETMINMAXINFO come first and go
        // to DefWindowProcW: the object's first message is WM_CREATE.
        EXPECT_EQ(window.messages.front(), static_cast<UINT>(WM_CREATE))
            << c.name << ": first message 0x" << std::hex << window.messages.front();
        EXPECT_EQ(window.Count(WM_NCCREATE), 0) << c.name;
        EXPECT_TRUE(window.boundAtCreate) << c.name << ": hwnd not set or not registered at WM_CREATE";
        EXPECT_TRUE(window.owned) << c.name;
        // DefWindowProcW's WM_NCCREATE is what stores the caption.
        wchar_t text[128] = L"";
        GetWindowTextW(window.hwnd, text, 128);
        EXPECT_STREQ(text, c.main ? AppTitle : L"area") << c.name;
    }
}

TEST_F(WindowBinding, FrameworkClassWithoutObjectIsServedByDefWindowProc) {
    PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    RecordingWindow area;
    ASSERT_NE(CreateArea(area, parent.hwnd), nullptr);
    HWND bare = CreateWindowExW(0, L"BlessArea", L"bare", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent.hwnd, nullptr,
                                AppInstance, nullptr);
    ASSERT_NE(bare, nullptr) << "a window of the class without an object could not be created";
    EXPECT_EQ(SendMessageW(bare, kProbe, 0, 0), 0);
    EXPECT_EQ(area.Count(kProbe), 0) << "another window's message reached the area's object";
    EXPECT_EQ(WindowMap.Size(), 1u);
    EXPECT_TRUE(DestroyWindow(bare));
}

TEST_F(WindowBinding, UnboundAfterDestroyKeepingTheOldHandle) {
    PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    RecordingWindow area;
    HWND created = CreateArea(area, parent.hwnd);
    ASSERT_NE(created, nullptr);
    ASSERT_TRUE(WindowMap.Contains(&area));
    ASSERT_TRUE(DestroyWindow(created));
    EXPECT_EQ(area.Count(WM_DESTROY), 1);
    EXPECT_TRUE(area.boundAtDestroy) << "removed before its WindowProc saw WM_DESTROY";
    EXPECT_EQ(area.Count(WM_NCDESTROY), 0) << "a message after WM_DESTROY still reached the object";
    EXPECT_FALSE(WindowMap.Contains(&area));
    EXPECT_EQ(area.hwnd, created);
}

TEST_F(WindowBinding, CreationRefusedAtCreateLeavesNothingBound) {
    PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    RecordingWindow area;
    area.handlers[WM_CREATE] = [](HWND, WPARAM, LPARAM) -> LRESULT { return -1; };
    EXPECT_EQ(CreateArea(area, parent.hwnd), nullptr);
    EXPECT_EQ(area.hwnd, nullptr);
    EXPECT_FALSE(area.owned);
    EXPECT_EQ(WindowMap.Size(), 0u) << "the refused window's object stayed registered";
}

// ---- Ownership ------------------------------------------------------------------

TEST_F(WindowOwnership, OwnedWindowGoesWithItsObjectAWrapperLeavesItsWindow) {
    PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    HWND areaWindow = nullptr;
    {
        RecordingWindow area;
        areaWindow = CreateArea(area, parent.hwnd);
        ASSERT_NE(areaWindow, nullptr);
    }
    EXPECT_FALSE(IsWindow(areaWindow)) << "an owned child area outlived its object";
    EXPECT_EQ(WindowMap.Size(), 0u) << "a destroyed object stayed registered";

    HWND frameWindow = nullptr;
    {
        TestFrame frame;
        ASSERT_TRUE(CreateQuietMainWindow(frame));
        frameWindow = frame.hwnd;
    }
    EXPECT_FALSE(IsWindow(frameWindow)) << "an owned main window outlived its object";
    EXPECT_EQ(WindowMap.Size(), 0u);

    PlainWindow plain(L"STATIC", WS_POPUP, 0, 0, 20, 20);
    WNDPROC original = ProcedureOf(plain.hwnd);
    {
        FWindow wrapper(plain.hwnd);
        EXPECT_FALSE(wrapper.owned);
        Subclass(wrapper, nullptr, nullptr);
        ASSERT_NE(ProcedureOf(plain.hwnd), original);
    }
    EXPECT_TRUE(IsWindow(plain.hwnd)) << "a wrapper destroyed the window it did not create";
    EXPECT_EQ(ProcedureOf(plain.hwnd), original) << "the wrapper's subclass outlived it";
    EXPECT_EQ(WindowMap.Size(), 0u);
    EXPECT_TRUE(SetWindowTextW(plain.hwnd, L"still served"));
}

TEST_F(FrameDestruction, DestroysWhatItOwnsAndLeavesWhatItBorrows) {
    PlainWindow borrowedBar(L"STATIC", WS_POPUP, 0, 0, 20, 20);
    HMENU borrowedMenu = CreateMenu();
    HMENU ownedMenu = CreateMenu();
    HWND frameWindow = nullptr, ownedBar = nullptr;
    {
        TestFrame frame;
        ASSERT_TRUE(CreateQuietMainWindow(frame));
        frameWindow = frame.hwnd;
        ownedBar = CreateArea(frame.bar1, frame.hwnd);
        ASSERT_NE(ownedBar, nullptr);
        frame.bar2.hwnd = borrowedBar.hwnd;
        frame.menu = {ownedMenu, true};
    }
    EXPECT_FALSE(IsWindow(ownedBar));
    EXPECT_FALSE(IsWindow(frameWindow));
    EXPECT_FALSE(IsMenu(ownedMenu)) << "an owned menu outlived its frame";
    EXPECT_TRUE(IsWindow(borrowedBar.hwnd)) << "the frame destroyed a bar it did not create";
    EXPECT_EQ(WindowMap.Size(), 0u);
    {
        TestFrame frame;
        frame.menu = {borrowedMenu, false};
    }
    EXPECT_TRUE(IsMenu(borrowedMenu)) << "the frame destroyed a menu it did not own";
    DestroyMenu(borrowedMenu);
}

// ---- Subclassing ----------------------------------------------------------------

TEST_F(Subclassing, DelegateGetsTheMessagesAndOnlyTheFirstSubclassCounts) {
    PlainWindow plain(L"STATIC", WS_POPUP, 0, 0, 20, 20);
    const WNDPROC original = ProcedureOf(plain.hwnd);
    FWindow control(plain.hwnd);
    DelegateLog first, second;
    first.control = second.control = &control;

    Subclass(control, &first, RecordingDelegate);
    const WNDPROC installed = ProcedureOf(plain.hwnd);
    EXPECT_NE(installed, original);
    EXPECT_EQ(control.prevProc, original);
    EXPECT_EQ(WindowMap.Find(plain.hwnd), &control);
    EXPECT_EQ(SendMessageW(plain.hwnd, kThrow, 0, 77), kHandled) << "the delegate's result was not returned";
    ASSERT_EQ(first.calls.size(), 1u);
    EXPECT_EQ(first.calls[0].self, &first);
    EXPECT_EQ(first.calls[0].hwnd, plain.hwnd);
    EXPECT_EQ(first.calls[0].message, kThrow);
    EXPECT_EQ(first.calls[0].lParam, 77);

    Subclass(control, &second, RecordingDelegate);
    EXPECT_EQ(control.delegateObj, &first) << "a second subclass replaced the delegate";
    EXPECT_EQ(control.prevProc, original) << "a second subclass replaced the previous procedure";
    EXPECT_EQ(ProcedureOf(plain.hwnd), installed);
    EXPECT_EQ(WindowMap.Size(), 1u) << "a second subclass registered the control again";
    // Messages the delegate passes on reach the control's own procedure.
    EXPECT_TRUE(SetWindowTextW(plain.hwnd, L"passed on"));
    wchar_t text[32] = L"";
    GetWindowTextW(plain.hwnd, text, 32);
    EXPECT_STREQ(text, L"passed on");
    EXPECT_GE(first.calls.size(), 2u);
    EXPECT_TRUE(second.calls.empty()) << "the second delegate received " << second.calls.size() << " calls";
}

TEST_F(Subclassing, OneRemovalClearsAWindowRegisteredTwice) {
    PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    {
        RecordingWindow area;
        ASSERT_NE(CreateArea(area, parent.hwnd), nullptr);
        const WNDPROC shared = ProcedureOf(area.hwnd);
        Subclass(area, nullptr, nullptr);
        EXPECT_EQ(WindowMap.Size(), 2u);
        // Without a delegate the messages go on to the previous procedure,
        // the shared window procedure, and reach WindowProc once.
        SendMessageW(area.hwnd, kProbe, 0, 0);
        EXPECT_EQ(area.Count(kProbe), 1);
        Unsubclass(area);
        EXPECT_EQ(WindowMap.Size(), 0u) << "one Unsubclass left an entry behind";
        EXPECT_EQ(ProcedureOf(area.hwnd), shared);
        EXPECT_EQ(area.prevProc, nullptr);
    }
    {
        RecordingWindow area;
        ASSERT_NE(CreateArea(area, parent.hwnd), nullptr);
        Subclass(area, nullptr, nullptr);
        ASSERT_EQ(WindowMap.Size(), 2u);
        EXPECT_TRUE(DestroyWindow(area.hwnd));
        EXPECT_EQ(area.Count(WM_DESTROY), 1);
        EXPECT_EQ(WindowMap.Size(), 0u) << "WM_DESTROY left an entry of a window registered twice";
    }
    EXPECT_EQ(WindowMap.Size(), 0u);
}

namespace {
WNDPROC procedureBeforeLater = nullptr;
LRESULT CALLBACK LaterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(procedureBeforeLater, hwnd, message, wParam, lParam);
}
}  // namespace

TEST_F(Subclassing, UnsubclassPutsThePreviousProcedureBackOnlyWhileOursIsInstalled) {
    PlainWindow plain(L"STATIC", WS_POPUP, 0, 0, 20, 20);
    const WNDPROC original = ProcedureOf(plain.hwnd);
    FWindow control(plain.hwnd);
    DelegateLog log;
    log.control = &control;

    Unsubclass(control);  // not subclassed: nothing to do
    EXPECT_EQ(ProcedureOf(plain.hwnd), original);

    Subclass(control, &log, RecordingDelegate);
    Unsubclass(control);
    EXPECT_EQ(ProcedureOf(plain.hwnd), original);
    EXPECT_EQ(control.prevProc, nullptr);
    EXPECT_EQ(control.delegateObj, nullptr);
    EXPECT_EQ(control.delegateProc, nullptr);
    EXPECT_FALSE(WindowMap.Contains(&control));

    // A procedure installed after ours stays: putting ours' predecessor back
    // would throw it away.
    Subclass(control, &log, RecordingDelegate);
    procedureBeforeLater = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(plain.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterProc)));
    Unsubclass(control);
    EXPECT_EQ(ProcedureOf(plain.hwnd), LaterProc) << "Unsubclass removed a procedure installed after ours";
    EXPECT_EQ(control.prevProc, nullptr);
    EXPECT_FALSE(WindowMap.Contains(&control));
    const size_t callsBefore = log.calls.size();
    EXPECT_TRUE(SetWindowTextW(plain.hwnd, L"after"));
    EXPECT_EQ(log.calls.size(), callsBefore) << "the removed delegate still received messages";
}

// ---- The exception barrier ------------------------------------------------------

TEST_F(WindowExceptions, ThrowInWindowProcShowsWndProcAndTheLoopGoesOn) {
    TestFrame frame;
    ASSERT_TRUE(CreateQuietMainWindow(frame));
    BoxWatcher watcher;
    EXPECT_EQ(SendMessageW(frame.hwnd, kThrow, 0, 0), kHandled);
    EXPECT_EQ(SendMessageW(frame.hwnd, kThrow, 1, 0), 0) << "a message whose handler threw must return 0";
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"WndProc");
    EXPECT_EQ(watcher.Seen()[0].owner, frame.hwnd);

    PostMessageW(frame.hwnd, kThrow, 1, 0);
    PostMessageW(frame.hwnd, kQuitWhenNoBox, 17, 0);
    LoopTimeout timeout;
    EXPECT_EQ(RunMessageLoop(frame, false), 17);
    ASSERT_EQ(watcher.Seen().size(), 2u);
    EXPECT_EQ(watcher.Seen()[1].text, L"WndProc");
    EXPECT_TRUE(IsWindow(frame.hwnd));
    EXPECT_TRUE(WindowMap.Contains(&frame));
}

TEST_F(WindowExceptions, ThrowInSubclassHandlerShowsWndSubAndTheLoopGoesOn) {
    PlainWindow plain(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20);
    FWindow control(plain.hwnd);
    DelegateLog log;
    log.control = &control;
    Subclass(control, &log, RecordingDelegate);
    BoxWatcher watcher;
    EXPECT_EQ(SendMessageW(plain.hwnd, kThrow, 0, 0), kHandled);
    EXPECT_EQ(SendMessageW(plain.hwnd, kThrow, 1, 0), 0) << "a message whose handler threw must return 0";
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"WndSub");
    EXPECT_EQ(watcher.Seen()[0].owner, plain.hwnd);

    PostMessageW(plain.hwnd, kThrow, 1, 0);
    PostMessageW(plain.hwnd, kQuitWhenNoBox, 23, 0);
    LoopTimeout timeout;
    EXPECT_EQ(RunMessageLoop(control, false), 23);
    ASSERT_EQ(watcher.Seen().size(), 2u);
    EXPECT_EQ(watcher.Seen()[1].text, L"WndSub");
    EXPECT_EQ(control.delegateObj, &log);
}

// ---- The main message loop ------------------------------------------------------

TEST_F(MessageLoop, AcceleratorsReachOnCommand) {
    TestFrame frame;
    ASSERT_TRUE(CreateQuietMainWindow(frame));
    SetControlKey(false);
    PostKey(frame.hwnd, VK_F1);
    PostKey(frame.hwnd, 'Q');  // without Ctrl: no command
    PostMessageW(frame.hwnd, kSetControlKey, 1, 0);
    PostKey(frame.hwnd, 'Q');
    PostMessageW(frame.hwnd, kSetControlKey, 0, 0);
    PostMessageW(frame.hwnd, kQuitWhenNoBox, 5, 0);
    LoopTimeout timeout;
    EXPECT_EQ(RunMessageLoop(frame, false), 5);
    // An accelerator's command carries 1 in the high word.
    const std::vector<WPARAM> expected = {MAKEWPARAM(IDM_HELP_ABOUT, 1), MAKEWPARAM(IDM_FILE_EXIT, 1)};
    EXPECT_EQ(frame.commands, expected);
}

namespace {
// What the modeless test dialog saw.
int nextControlRequests = 0;
int deactivations = 0;
INT_PTR CALLBACK CountingDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_NEXTDLGCTL) ++nextControlRequests;
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) ++deactivations;
    return message == WM_INITDIALOG;
}
}  // namespace

TEST_F(MessageLoop, BoundDialogsGetTheirKeysFirst) {
    const std::vector<WORD> dialogTemplate = TwoEditTemplate();
    for (bool bound : {true, false}) {
        // Another test's window may take the activation, and with it the
        // focus, in the middle of an attempt; such an attempt is repeated.
        bool focusChecked = false;
        for (int attempt = 0; attempt < 5 && !focusChecked; ++attempt) {
            TestFrame frame;
            ASSERT_TRUE(CreateQuietMainWindow(frame)) << "bound " << bound;
            HWND dialog = CreateDialogIndirectParamW(
                AppInstance, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), frame.hwnd,
                CountingDialogProc, 0);
            ASSERT_NE(dialog, nullptr) << "bound " << bound;
            HWND first = GetDlgItem(dialog, 101), second = GetDlgItem(dialog, 102);
            FWnd dialogObject(dialog);
            if (bound) DialogMap.Add(&dialogObject);
            ShowQuietly(dialog);
            SetActiveWindow(dialog);
            SetFocus(first);
            ASSERT_EQ(GetFocus(), first) << "bound " << bound;

            HWND focusAfterTab = nullptr;
            frame.handlers[kProbe] = [&](HWND, WPARAM, LPARAM) -> LRESULT {
                focusAfterTab = GetFocus();
                PostQuitMessage(9);
                return 0;
            };
            nextControlRequests = deactivations = 0;
            PostKey(first, VK_TAB);
            PostMessageW(frame.hwnd, kProbe, 0, 0);
            LoopTimeout timeout;
            EXPECT_EQ(RunMessageLoop(frame, false), 9) << "bound " << bound;
            DialogMap.Remove(&dialogObject);
            DestroyWindow(dialog);
            // IsDialogMessageW turns Tab into the dialog's own WM_NEXTDLGCTL.
            EXPECT_EQ(nextControlRequests, bound ? 1 : 0) << "bound " << bound;
            if (deactivations > 0) continue;
            EXPECT_EQ(focusAfterTab, bound ? second : first)
                << "bound " << bound << ": focus on " << focusAfterTab << ", first " << first << ", second " << second;
            focusChecked = true;
        }
        if (!focusChecked) std::cout << "bound " << bound << ": focus not checked, other windows kept the activation\n";
    }
}

TEST_F(MessageLoop, DialogKeysOfTheMainWindowOnlyWhenAsked) {
    for (bool useDialogKeys : {true, false}) {
        TestFrame frame;
        ASSERT_TRUE(CreateQuietMainWindow(frame));
        PlainWindow edit(L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 20, frame.hwnd, 1);
        FWindow editObject(edit.hwnd);
        DelegateLog log;
        log.control = &editObject;
        Subclass(editObject, &log, RecordingDelegate);
        frame.handlers[kProbe] = [](HWND, WPARAM, LPARAM) -> LRESULT {
            PostQuitMessage(3);
            return 0;
        };
        PostKey(edit.hwnd, VK_TAB);
        PostMessageW(frame.hwnd, kProbe, 0, 0);
        LoopTimeout timeout;
        EXPECT_EQ(RunMessageLoop(frame, useDialogKeys), 3);
        // Offered to IsDialogMessageW, Tab is taken as a dialog key and never
        // dispatched to the control; otherwise the control receives it.
        const auto tabs = std::count_if(log.calls.begin(), log.calls.end(), [](const DelegateCall& call) {
            return call.message == WM_KEYDOWN && call.wParam == VK_TAB;
        });
        EXPECT_EQ(tabs, useDialogKeys ? 0 : 1) << "use dialog keys " << useDialogKeys;
    }
}

TEST_F(MessageLoop, DestroyingTheFrameEndsTheLoopWithZero) {
    TestFrame frame;
    ASSERT_TRUE(CreateQuietMainWindow(frame));
    const HWND created = frame.hwnd;
    PostMessageW(frame.hwnd, WM_CLOSE, 0, 0);
    LoopTimeout timeout;
    EXPECT_EQ(RunMessageLoop(frame, false), 0);
    EXPECT_FALSE(IsWindow(created));
    EXPECT_EQ(frame.hwnd, created);
    EXPECT_FALSE(WindowMap.Contains(&frame));
}

// ---- The main window --------------------------------------------------------------

TEST_F(MainWindow, ClassCaptionIconAndPlacement) {
    TestFrame first, second;
    ASSERT_TRUE(CreateQuietMainWindow(first));
    ASSERT_TRUE(CreateQuietMainWindow(second)) << "a second window of the registered class failed";
    EXPECT_TRUE(first.owned);

    WNDCLASSW cls{};
    ASSERT_TRUE(GetClassInfoW(AppInstance, AppName, &cls));
    EXPECT_EQ(cls.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_NE(cls.hIcon, nullptr);
    EXPECT_EQ(cls.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));

    wchar_t caption[kAppTextUnits] = L"";
    GetWindowTextW(first.hwnd, caption, kAppTextUnits);
    EXPECT_STREQ(caption, AppTitle);

    auto smallIcon = reinterpret_cast<HICON>(SendMessageW(first.hwnd, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(smallIcon, nullptr) << "no small icon";
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(smallIcon, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int top = ce::NavigationBarHeight();
    const RECT expected = {0, top, screenWidth, screenHeight};
    const RECT actual = PlaceOf(first.hwnd);
    EXPECT_TRUE(EqualRect(&actual, &expected)) << "expected " << Describe(expected) << ", got " << Describe(actual);

    TestFrame placed;
    ASSERT_TRUE(CreateQuietMainWindow(placed, 10, 20, 300, 200));
    const RECT given = {10, 20, 310, 220};
    const RECT actualGiven = PlaceOf(placed.hwnd);
    EXPECT_TRUE(EqualRect(&actualGiven, &given)) << "expected " << Describe(given) << ", got " << Describe(actualGiven);
}

TEST_F(MainWindow, MissingResourcesAreReportedAndEverythingGoesOn) {
    // A module without icon 100 and accelerator table 100.
    AppInstance = GetModuleHandleW(L"kernel32.dll");
    ASSERT_EQ(FindResourceW(AppInstance, MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON), nullptr);
    ASSERT_EQ(FindResourceW(AppInstance, MAKEINTRESOURCEW(IDR_ACCELERATOR_MAIN), RT_ACCELERATOR), nullptr);
    BoxWatcher watcher;
    TestFrame frame;
    EXPECT_TRUE(CreateQuietMainWindow(frame));
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"RT_GROUP_ICON[100]");
    EXPECT_EQ(watcher.Seen()[0].owner, nullptr);
    ASSERT_TRUE(IsWindow(frame.hwnd));

    PostKey(frame.hwnd, VK_F1);
    PostMessageW(frame.hwnd, kQuitWhenNoBox, 6, 0);
    LoopTimeout timeout;
    EXPECT_EQ(RunMessageLoop(frame, false), 6);
    ASSERT_EQ(watcher.Seen().size(), 2u);
    EXPECT_EQ(watcher.Seen()[1].text, L"IDR_ACCELERATOR_MAIN");
    EXPECT_TRUE(frame.commands.empty()) << "a command arrived without an accelerator table";
}

// ---- Child areas, the menu bar and the client area ----------------------------------

TEST_F(BlessArea, ChildOfItsParentWithItsIdAndBound) {
    PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FWindow area;
    HWND created = CreateBlessArea(area, parent.hwnd, L"game", IDC_GAME_VIEW, WS_VISIBLE | WS_CLIPCHILDREN, 0, 5, 6,
                                   70, 80, white);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(area.hwnd, created);
    EXPECT_TRUE(area.owned);
    EXPECT_EQ(WindowMap.Find(created), &area);
    const LONG style = GetWindowLongW(created, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN)
        << "style 0x" << std::hex << style;
    EXPECT_EQ(GetParent(created), parent.hwnd);
    EXPECT_EQ(GetDlgCtrlID(created), IDC_GAME_VIEW);
    const RECT expected = {5, 6, 75, 86};
    const RECT actual = PlaceOf(created);
    EXPECT_TRUE(EqualRect(&actual, &expected)) << "expected " << Describe(expected) << ", got " << Describe(actual);
    wchar_t cls[32] = L"";
    GetClassNameW(created, cls, 32);
    EXPECT_STREQ(cls, L"BlessArea");
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(created, GCLP_HBRBACKGROUND)), white);

    FWindow another;
    EXPECT_NE(CreateArea(another, parent.hwnd), nullptr) << "a second area of the registered class failed";
}

TEST_F(FrameMenuBar, StoresTheBarAndItsBorrowedMenu) {
    TestFrame frame;
    ASSERT_TRUE(CreateQuietMainWindow(frame));
    ASSERT_TRUE(CreateMenuBar(frame, IDM_MAIN_E));
    ASSERT_NE(frame.menuBar.hwnd, nullptr);
    EXPECT_EQ(GetParent(frame.menuBar.hwnd), frame.hwnd);
    EXPECT_FALSE(frame.menuBar.owned);
    EXPECT_TRUE(IsMenu(frame.menu.handle));
    EXPECT_EQ(frame.menu.handle, reinterpret_cast<HMENU>(SendMessageW(frame.menuBar.hwnd, SHCMBM_GETMENU, 0, 0)));
    EXPECT_FALSE(frame.menu.owned) << "the menu bar owns its menu";

    TestFrame other;
    ASSERT_TRUE(CreateQuietMainWindow(other));
    EXPECT_FALSE(CreateMenuBar(other, 4242)) << "a missing menu resource gave a menu bar";
    EXPECT_EQ(other.menuBar.hwnd, nullptr);
    EXPECT_EQ(other.menu.handle, nullptr);
}

TEST_F(ClientArea, MenuBarAndVisibleBarsComeOffTheBottom) {
    TestFrame frame;
    ASSERT_TRUE(CreateQuietMainWindow(frame));
    RECT client;
    ASSERT_TRUE(GetClientRect(frame.hwnd, &client));
    const int menuBottom = client.bottom - ScaleY(26);
    struct Case {
        bool bar1, bar1Visible, bar2, bar2Visible, moveBars;
        int bottom;
        int bar1Top, bar2Top;  // -1: not moved from 50
    };
    const Case cases[] = {
        /* 0 */ {false, false, false, false, true, menuBottom, -1, -1},
        /* 1 */ {true, true, false, false, true, menuBottom - 30, menuBottom - 30, -1},
        /* 2 */ {true, true, false, false, false, menuBottom - 30, -1, -1},
        /* 3 */ {true, false, false, false, true, menuBottom, -1, -1},
        /* 4 */ {true, true, true, true, true, menuBottom - 50, menuBottom - 30, menuBottom - 50},
        /* 5 */ {false, false, true, false, true, menuBottom, -1, -1},
        /* 6 */ {true, false, true, true, true, menuBottom - 20, -1, menuBottom - 20},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        PlainWindow bar1(L"STATIC", WS_CHILD | (c.bar1Visible ? WS_VISIBLE : 0), 50, 50, 100, 30, frame.hwnd);
        PlainWindow bar2(L"STATIC", WS_CHILD | (c.bar2Visible ? WS_VISIBLE : 0), 60, 50, 80, 20, frame.hwnd);
        frame.bar1.hwnd = c.bar1 ? bar1.hwnd : nullptr;
        frame.bar2.hwnd = c.bar2 ? bar2.hwnd : nullptr;
        RECT area = {-1, -1, -1, -1};
        ASSERT_TRUE(GetClientArea(frame, area, false, c.moveBars)) << "case " << i;
        const RECT expected = {0, 0, client.right, c.bottom};
        EXPECT_TRUE(EqualRect(&area, &expected))
            << "case " << i << ": expected " << Describe(expected) << ", got " << Describe(area);
        const RECT place1 = PlaceOf(bar1.hwnd), place2 = PlaceOf(bar2.hwnd);
        const RECT expected1 = c.bar1Top < 0 ? RECT{50, 50, 150, 80} : RECT{0, c.bar1Top, 100, c.bar1Top + 30};
        const RECT expected2 = c.bar2Top < 0 ? RECT{60, 50, 140, 70} : RECT{0, c.bar2Top, 80, c.bar2Top + 20};
        EXPECT_TRUE(EqualRect(&place1, &expected1))
            << "case " << i << ": bar1 expected " << Describe(expected1) << ", got " << Describe(place1);
        EXPECT_TRUE(EqualRect(&place2, &expected2))
            << "case " << i << ": bar2 expected " << Describe(expected2) << ", got " << Describe(place2);
    }
    frame.bar1.hwnd = frame.bar2.hwnd = nullptr;

    TestFrame unbound;
    RECT area;
    EXPECT_FALSE(GetClientArea(unbound, area, false, true)) << "a frame without a window has no client area";
}

// ---- Scrolling ----------------------------------------------------------------------

TEST_F(Scroll, CodesMoveThePositionWithinTheRangeAndScrollTheContent) {
    PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    ScrollArea area;
    ASSERT_NE(CreateArea(area, parent.hwnd, WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 200, 200), nullptr);
    PlainWindow content(L"STATIC", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, area.hwnd);
    // Range 0..100 with a page of 10: the last position is 91.
    for (int bar : {SB_VERT, SB_HORZ}) {
        SCROLLINFO range{sizeof(range), SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
        SetScrollInfo(area.hwnd, bar, &range, TRUE);
    }
    struct Case {
        int bar;
        int start;
        WORD code;
        int expected;
    };
    const Case cases[] = {
        /*  0 */ {SB_VERT, 50, SB_LINEDOWN, 51},     /*  1 */ {SB_VERT, 50, SB_LINEUP, 49},
        /*  2 */ {SB_VERT, 0, SB_LINEUP, 0},         /*  3 */ {SB_VERT, 91, SB_LINEDOWN, 91},
        /*  4 */ {SB_VERT, 50, SB_PAGEDOWN, 60},     /*  5 */ {SB_VERT, 50, SB_PAGEUP, 40},
        /*  6 */ {SB_VERT, 85, SB_PAGEDOWN, 91},     /*  7 */ {SB_VERT, 5, SB_PAGEUP, 0},
        /*  8 */ {SB_VERT, 50, SB_TOP, 0},           /*  9 */ {SB_VERT, 50, SB_BOTTOM, 91},
        /* 10 */ {SB_VERT, 50, SB_THUMBPOSITION, 50}, /* 11 */ {SB_VERT, 50, SB_ENDSCROLL, 50},
        /* 12 */ {SB_VERT, 50, SB_THUMBTRACK, 50},  // no drag: the track position is the position
        /* 13 */ {SB_HORZ, 50, SB_LINEDOWN, 51},     /* 14 */ {SB_HORZ, 50, SB_LINEUP, 49},
        /* 15 */ {SB_HORZ, 90, SB_PAGEDOWN, 91},     /* 16 */ {SB_HORZ, 50, SB_TOP, 0},
        /* 17 */ {SB_HORZ, 50, SB_BOTTOM, 91},       /* 18 */ {SB_HORZ, 50, SB_ENDSCROLL, 50},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SetScrollPos(area.hwnd, SB_VERT, 50, TRUE);
        SetScrollPos(area.hwnd, SB_HORZ, 50, TRUE);
        SetScrollPos(area.hwnd, c.bar, c.start, TRUE);
        const int otherBefore = GetScrollPos(area.hwnd, c.bar == SB_VERT ? SB_HORZ : SB_VERT);
        const RECT before = PlaceOf(content.hwnd);
        SendMessageW(area.hwnd, c.bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(c.code, 0), 0);
        EXPECT_EQ(GetScrollPos(area.hwnd, c.bar), c.expected) << "case " << i;
        EXPECT_EQ(GetScrollPos(area.hwnd, c.bar == SB_VERT ? SB_HORZ : SB_VERT), otherBefore)
            << "case " << i << ": the other bar moved";
        // The content moves against the position.
        const RECT after = PlaceOf(content.hwnd);
        const int moved = c.bar == SB_VERT ? after.top - before.top : after.left - before.left;
        const int across = c.bar == SB_VERT ? after.left - before.left : after.top - before.top;
        EXPECT_EQ(moved, c.start - c.expected) << "case " << i;
        EXPECT_EQ(across, 0) << "case " << i;
    }
}

// ---- Centring, style, scaling -------------------------------------------------------

TEST_F(CenterWindowPlacement, OverParentOrScreenKeptInsideTheScreen) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        bool hasParent;
        RECT parent;  // x, y, width, height
        int width, height;
        int x, y;
    };
    const Case cases[] = {
        /* 0 */ {false, {}, 200, 100, (sw - 200) / 2, (sh - 100) / 2},
        /* 1 */ {false, {}, sw + 100, sh + 50, 0, 0},
        /* 2 */ {true, {100, 100, 400, 300}, 200, 100, 200, 200},
        /* 3 */ {true, {-200, sh - 168, 400, 400}, 200, 100, 0, sh - 100},
        /* 4 */ {true, {sw - 100, 100, 400, 300}, 200, 100, sw - 200, 200},
        /* 5 */ {true, {300, 300, 100, 100}, 201, 101, 250, 300},  // halves truncate towards zero
        /* 6 */ {true, {0, 0, 100, 100}, sw + 10, 40, 0, 30},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        PlainWindow parent(L"STATIC", WS_POPUP | WS_VISIBLE, c.parent.left, c.parent.top, c.parent.right,
                           c.parent.bottom);
        PlainWindow window(L"STATIC", WS_POPUP | WS_VISIBLE, 7, 9, c.width, c.height,
                           c.hasParent ? parent.hwnd : nullptr);
        if (c.hasParent) {
            const RECT placed = PlaceOf(parent.hwnd);
            ASSERT_EQ(placed.left, c.parent.left) << "case " << i << ": the parent could not be placed";
        }
        CenterWindow(window.hwnd);
        const RECT expected = {c.x, c.y, c.x + c.width, c.y + c.height};
        const RECT actual = PlaceOf(window.hwnd);
        EXPECT_TRUE(EqualRect(&actual, &expected))
            << "case " << i << ": expected " << Describe(expected) << ", got " << Describe(actual);
    }
}

TEST_F(WindowHelpers, ChangeStyleRemovesThenAdds) {
    PlainWindow plain(L"STATIC", WS_POPUP, 0, 0, 20, 20);
    FWindow window(plain.hwnd);
    constexpr LONG kBase = static_cast<LONG>(WS_POPUP | WS_BORDER | WS_TABSTOP);
    struct Case {
        LONG remove, add, expected;
    };
    const Case cases[] = {
        /* 0 */ {0, 0, kBase},
        /* 1 */ {WS_BORDER, 0, static_cast<LONG>(WS_POPUP | WS_TABSTOP)},
        /* 2 */ {0, WS_GROUP, kBase | WS_GROUP},
        /* 3 */ {WS_TABSTOP, WS_GROUP, static_cast<LONG>(WS_POPUP | WS_BORDER | WS_GROUP)},
        /* 4 */ {WS_BORDER, WS_BORDER, kBase},  // a bit both removed and added ends up set
        /* 5 */ {WS_GROUP, 0, kBase},           // removing a clear bit changes nothing
    };
    // The system keeps bits of its own (WS_CLIPSIBLINGS on pop-ups): only
    // the bits in play are compared.
    constexpr LONG kInPlay = static_cast<LONG>(WS_POPUP | WS_BORDER | WS_TABSTOP | WS_GROUP);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        SetWindowLongW(plain.hwnd, GWL_STYLE, kBase);
        ChangeStyle(window, cases[i].remove, cases[i].add);
        const LONG actual = GetWindowLongW(plain.hwnd, GWL_STYLE) & kInPlay;
        EXPECT_EQ(actual, cases[i].expected) << "case " << i << std::hex << ": expected 0x" << cases[i].expected
                                             << ", got 0x" << actual;
    }
}

TEST_F(WindowHelpers, WaitCursorIsShownAndPutBack) {
    auto showCount = [] {
        ShowCursor(TRUE);
        return ShowCursor(FALSE);
    };
    const int before = showCount();
    BeginWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(showCount(), before + 1) << "the wait cursor was not shown";
    EndWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(showCount(), before) << "the show count did not come back";
}

TEST(Scale, NinetySixDpiLengthsRoundHalvesAwayFromZero) {
    struct Case {
        int length, dpi, expected;
    };
    const Case cases[] = {
        /*  0 */ {23, 96, 23},   /*  1 */ {23, 192, 46},  /*  2 */ {-5, 130, -7},
        /*  3 */ {0, 96, 0},     /*  4 */ {0, 192, 0},    /*  5 */ {1, 48, 1},  // exactly one half
        /*  6 */ {-1, 48, -1},   /*  7 */ {1, 47, 0},     /*  8 */ {-1, 47, 0},
        /*  9 */ {3, 144, 5},    /* 10 */ {-3, 144, -5},  /* 11 */ {26, 120, 33},
        /* 12 */ {26, 192, 52},  /* 13 */ {-26, 96, -26}, /* 14 */ {1000, 130, 1354},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(ScaleForDpi(cases[i].length, cases[i].dpi), cases[i].expected)
            << "case " << i << ": " << cases[i].length << " at " << cases[i].dpi << " dpi";

    // Each axis uses its own density.
    const int savedX = ScreenDpiX, savedY = ScreenDpiY;
    ScreenDpiX = 130;
    ScreenDpiY = 192;
    EXPECT_EQ(ScaleX(-5), -7);
    EXPECT_EQ(ScaleY(23), 46);
    EXPECT_EQ(ScaleX(23), 31);
    EXPECT_EQ(ScaleY(-5), -10);
    ScreenDpiX = savedX;
    ScreenDpiY = savedY;
}

// ---- The main frame's focus ---------------------------------------------------------

TEST_F(MainFrame, FocusedChildSurvivesDeactivation) {
    // Another test's window may take the activation in the middle of an
    // attempt; such an attempt is repeated.
    for (int attempt = 0; attempt < 5; ++attempt) {
        TestFrame frame;
        ASSERT_TRUE(CreateQuietMainWindow(frame));
        int deactivated = 0;
        frame.handlers[WM_ACTIVATE] = [&](HWND hwnd, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (LOWORD(wParam) == WA_INACTIVE) ++deactivated;
            return frame.OnActivate(hwnd, WM_ACTIVATE, wParam, lParam);
        };
        PlainWindow first(L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 20, frame.hwnd, 1);
        PlainWindow second(L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 40, 100, 20, frame.hwnd, 2);
        PlainWindow other(L"STATIC", WS_POPUP | WS_VISIBLE, 400, 400, 100, 100);
        SetActiveWindow(frame.hwnd);
        SetFocus(second.hwnd);
        ASSERT_EQ(GetFocus(), second.hwnd);
        deactivated = 0;

        SetActiveWindow(other.hwnd);
        const bool otherActive = GetActiveWindow() == other.hwnd;
        const HWND saved = frame.savedFocus;
        const HWND focusWhileInactive = GetFocus();
        SetActiveWindow(frame.hwnd);
        const HWND focusAfter = GetFocus();
        if (!otherActive || deactivated != 1 || GetActiveWindow() != frame.hwnd) continue;
        EXPECT_EQ(saved, second.hwnd);
        EXPECT_NE(focusWhileInactive, second.hwnd);
        EXPECT_EQ(focusAfter, second.hwnd) << "focus went to " << focusAfter << " instead of the remembered child";
        return;
    }
    GTEST_SKIP() << "other windows kept taking the activation";
}
