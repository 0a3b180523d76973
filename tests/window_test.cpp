// Window objects: binding at creation and unbinding after destruction,
// ownership, subclassing, the exception barrier of the shared procedures and
// the main message loop, all driven as real windows.
#include "tests/window_fixture.h"

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
