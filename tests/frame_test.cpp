// The main window and its frame: class, caption and placement, child areas,
// the menu bar's room, scrolling, centring and 96-dpi scaling, and the focus
// kept across deactivation, all driven as real windows.
#include "tests/window_fixture.h"

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
