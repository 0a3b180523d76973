// The command bar on real toolbar controls: its image strips, a button with
// text and image, drop-downs, free placement and tooltips.
#include "platform/commandbar.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "commandbar_test_ids.h"
#include "platform/aygshell.h"
#include "resource.h"

namespace {

constexpr int kBarId = 13300;
constexpr COLORREF kWhite = RGB(255, 255, 255);

COLORREF FirstStripColour(int k) { return RGB(20 + 20 * k, 40, 0); }
COLORREF SecondStripColour(int j) { return RGB(0, 20 + 20 * j, 200); }

std::string Hex(COLORREF colour) {
    char text[16];
    wsprintfA(text, "0x%06lX", static_cast<unsigned long>(colour));
    return text;
}

// What the parent of a bar was told.
struct Heard {
    std::vector<int> dropDowns;  // iItem of each TBN_DROPDOWN
    std::vector<UINT> dropDownSenders;
    std::vector<int> commands;
};
Heard heard;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TBN_DROPDOWN) {
            heard.dropDowns.push_back(reinterpret_cast<NMTOOLBARW*>(lParam)->iItem);
            heard.dropDownSenders.push_back(static_cast<UINT>(header->idFrom));
            return TBDDRET_DEFAULT;
        }
    } else if (message == WM_COMMAND) {
        heard.commands.push_back(LOWORD(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A device-sized top-level window to hold bars.
struct Parent {
    HWND hwnd = nullptr;
    Parent() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"CommandBarTestParent";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               wc.hInstance, nullptr);
        heard = Heard{};
    }
    ~Parent() { DestroyWindow(hwnd); }
    RECT BarRect(HWND bar) const {
        RECT rect;
        GetWindowRect(bar, &rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
};

// A white 24-bit canvas in a memory DC.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    int width, height;
    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        format.bmiHeader.biWidth = w;
        format.bmiHeader.biHeight = -h;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    bool Contains(COLORREF colour) const {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (GetPixel(dc, x, y) == colour) return true;
        return false;
    }
};

// Pixel (x, y) of image `index` drawn over white.
COLORREF ImagePixel(HIMAGELIST list, int index, int x, int y) {
    Canvas canvas(16, 16);
    ImageList_Draw(list, index, canvas.dc, 0, 0, ILD_NORMAL);
    return GetPixel(canvas.dc, x, y);
}

TBBUTTON Button(int id, BYTE style, int image = 0) {
    TBBUTTON button{};
    button.iBitmap = image;
    button.idCommand = id;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = style;
    button.iString = -1;
    return button;
}

// ---- Images -------------------------------------------------------------------------------

TEST(CommandBar, StripsAppendImagesInOrderWithMagentaClear) {
    struct Step { int bitmap; int count; int first; };
    struct Case { const char* name; std::vector<Step> steps; int total; };
    const Case cases[] = {
        // 0: the folder bar's pair of strips: 0..8, then 9..20.
        {"9 then 12", {{IDB_TEST_STRIP9, 9, 0}, {IDB_TEST_STRIP12, 12, 9}}, 21},
        // 1: a high-density second strip is scaled to the first strip's size.
        {"9 then 12 at 32", {{IDB_TEST_STRIP9, 9, 0}, {IDB_TEST_STRIP12_HI, 12, 9}}, 21},
        // 2: a strip said to hold more than it does keeps the next numbers.
        {"9 said 12", {{IDB_TEST_STRIP9, 12, 0}, {IDB_TEST_STRIP12, 12, 12}}, 24},
        // 3: a missing strip adds nothing and does not shift what follows.
        {"missing", {{IDB_TEST_STRIP9, 9, 0}, {4242, 5, -1}, {IDB_TEST_STRIP12, 12, 9}}, 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parent parent;
        HWND bar = CommandBar_Create(GetModuleHandleW(nullptr), parent.hwnd, kBarId);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(GetDlgCtrlID(bar), kBarId);
        for (const Step& step : c.steps)
            EXPECT_EQ(CommandBar_AddBitmap(bar, nullptr, step.bitmap, step.count, 16, 16), step.first)
                << "bitmap " << step.bitmap;
        auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(bar, TB_GETIMAGELIST, 0, 0));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(ImageList_GetImageCount(list), c.total);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list, &cx, &cy);
        EXPECT_EQ(cx, 16);
        EXPECT_EQ(cy, 16);

        const int second = c.total - 12;
        EXPECT_EQ(ImagePixel(list, 0, 8, 8), FirstStripColour(0));
        EXPECT_EQ(ImagePixel(list, 8, 8, 8), FirstStripColour(8));
        EXPECT_EQ(ImagePixel(list, 0, 0, 0), kWhite) << "magenta is drawn";
        EXPECT_EQ(Hex(ImagePixel(list, second, 8, 8)), Hex(SecondStripColour(0)));
        EXPECT_EQ(Hex(ImagePixel(list, c.total - 1, 8, 8)), Hex(SecondStripColour(11)));
        if (second > 9) {
            EXPECT_EQ(ImagePixel(list, 9, 8, 8), kWhite) << "a missing image is not blank";
        }
        CommandBar_Destroy(bar);
        EXPECT_FALSE(IsWindow(bar));
    }
}

// Every pixel of image `index` drawn over white, row by row.
std::vector<COLORREF> ImagePixels(HIMAGELIST list, int index, int side) {
    Canvas canvas(side, side);
    ImageList_Draw(list, index, canvas.dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) pixels.push_back(GetPixel(canvas.dc, x, y));
    return pixels;
}

// Image `index` of a strip resource as it should look over white.
std::vector<COLORREF> StripPixels(int bitmapId, int index, int side) {
    auto strip = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            COLORREF colour = GetPixel(dc, index * side + x, y);
            pixels.push_back(colour == RGB(255, 0, 255) ? kWhite : colour);
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(strip);
    return pixels;
}

TEST(CommandBar, FolderBarStripsGiveTwentyOneDistinctImages) {
    struct Case { int buttons; int locations; int side; };
    for (const Case& c : {Case{IDB_BAR_BUTTONS, IDB_LOCATIONS, 16}, Case{IDB_BAR_BUTTONS_HI, IDB_LOCATIONS_HI, 32}}) {
        SCOPED_TRACE(c.side);
        Parent parent;
        HWND bar = CommandBar_Create(nullptr, parent.hwnd, kBarId);
        EXPECT_EQ(CommandBar_AddBitmap(bar, nullptr, c.buttons, 9, 16, 16), 0);
        EXPECT_EQ(CommandBar_AddBitmap(bar, nullptr, c.locations, 12, 16, 16), 9);
        auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(bar, TB_GETIMAGELIST, 0, 0));
        ASSERT_EQ(ImageList_GetImageCount(list), 21);
        std::set<std::vector<COLORREF>> distinct;
        for (int image = 0; image < 21; ++image) {
            std::vector<COLORREF> drawn = ImagePixels(list, image, c.side);
            EXPECT_EQ(drawn.front(), kWhite) << "image " << image << ": corner not clear";
            distinct.insert(drawn);
            if (image >= 9) {
                EXPECT_TRUE(drawn == StripPixels(c.locations, image - 9, c.side))
                    << "image " << image << " is not location picture " << image - 9;
            }
        }
        EXPECT_EQ(distinct.size(), 21u);
    }
}

TEST(CommandBar, RefusesWhatIsNoBar) {
    Parent parent;
    EXPECT_EQ(CommandBar_Create(nullptr, nullptr, kBarId), nullptr);
    EXPECT_EQ(CommandBar_AddBitmap(parent.hwnd, nullptr, IDB_TEST_STRIP9, 9, 16, 16), -1);
    const wchar_t* tips[] = {L"A"};
    EXPECT_FALSE(CommandBar_AddToolTips(parent.hwnd, 1, tips));
    EXPECT_EQ(CommandBar_Height(nullptr), 0);
}

// ---- A button with text and image -----------------------------------------------------------

TEST(CommandBar, ButtonChangesTextAndImageAndDrawsThem) {
    Parent parent;
    HWND bar = CommandBar_Create(nullptr, parent.hwnd, kBarId);
    ASSERT_NE(bar, nullptr);
    CommandBar_AddBitmap(bar, nullptr, IDB_TEST_STRIP9, 9, 16, 16);
    CommandBar_AddBitmap(bar, nullptr, IDB_TEST_STRIP12, 12, 16, 16);
    TBBUTTON button = Button(35, BTNS_BUTTON | BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT);
    ASSERT_TRUE(CommandBar_AddButtons(bar, 1, &button));

    struct Change { const wchar_t* text; int image; };
    for (const Change& change : {Change{L"My Device", 12}, Change{L"Program Files", 10}, Change{L"Desktop", 20}}) {
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_TEXT | TBIF_IMAGE;
        info.pszText = const_cast<wchar_t*>(change.text);
        info.iImage = change.image;
        ASSERT_TRUE(SendMessageW(bar, TB_SETBUTTONINFOW, 35, reinterpret_cast<LPARAM>(&info)));
        SendMessageW(bar, TB_AUTOSIZE, 0, 0);

        wchar_t text[64] = L"untouched";
        TBBUTTONINFOW read{};
        read.cbSize = sizeof(read);
        read.dwMask = TBIF_TEXT | TBIF_IMAGE;
        read.pszText = text;
        read.cchText = 64;
        ASSERT_GE(SendMessageW(bar, TB_GETBUTTONINFOW, 35, reinterpret_cast<LPARAM>(&read)), 0);
        EXPECT_STREQ(text, change.text);
        EXPECT_EQ(read.iImage, change.image);
    }

    // The bar draws the image of the second strip.
    RECT rect;
    GetClientRect(bar, &rect);
    Canvas canvas(rect.right, rect.bottom);
    SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_TRUE(canvas.Contains(SecondStripColour(11))) << "image 20 is not on the bar";
    EXPECT_FALSE(canvas.Contains(SecondStripColour(3))) << "image 12 is still on the bar";
}

// ---- Drop-down ----------------------------------------------------------------------------------

TEST(CommandBar, DropDownClickReachesTheParent) {
    struct Case { const char* name; BYTE style; bool onArrow; bool dropDown; };
    const Case cases[] = {
        {"whole drop-down, body", BTNS_WHOLEDROPDOWN, false, true},
        {"split drop-down, arrow", BTNS_DROPDOWN, true, true},
        {"split drop-down, body", BTNS_DROPDOWN, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parent parent;
        HWND bar = CommandBar_Create(nullptr, parent.hwnd, kBarId);
        CommandBar_AddBitmap(bar, nullptr, IDB_TEST_STRIP9, 9, 16, 16);
        TBBUTTON button = Button(35, c.style);
        ASSERT_TRUE(CommandBar_AddButtons(bar, 1, &button));
        RECT rect;
        SendMessageW(bar, TB_GETRECT, 35, reinterpret_cast<LPARAM>(&rect));
        int x = c.onArrow ? rect.right - 3 : rect.left + 4;
        int y = (rect.top + rect.bottom) / 2;
        SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

        if (c.dropDown) {
            ASSERT_EQ(heard.dropDowns.size(), 1u);
            EXPECT_EQ(heard.dropDowns[0], 35);
            EXPECT_EQ(heard.dropDownSenders[0], static_cast<UINT>(kBarId));
            EXPECT_TRUE(heard.commands.empty());
        } else {
            EXPECT_TRUE(heard.dropDowns.empty());
            EXPECT_EQ(heard.commands, std::vector<int>{35});
        }
    }
}

// ---- Placement ----------------------------------------------------------------------------------

TEST(CommandBar, StartsOnTopAndStaysWhereTheCallerPutsIt) {
    Parent parent;
    HWND bar = CommandBar_Create(nullptr, parent.hwnd, kBarId);
    CommandBar_AddBitmap(bar, nullptr, IDB_TEST_STRIP9, 9, 16, 16);
    TBBUTTON button = Button(35, BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT);
    CommandBar_AddButtons(bar, 1, &button);
    SendMessageW(bar, TB_AUTOSIZE, 0, 0);
    RECT start = parent.BarRect(bar);
    EXPECT_EQ(start.top, 0);
    EXPECT_EQ(start.right - start.left, 240);
    const int height = CommandBar_Height(bar);
    EXPECT_GE(height, 16);
    EXPECT_EQ(height, start.bottom - start.top);

    SetWindowLongPtrW(bar, GWL_STYLE, GetWindowLongPtrW(bar, GWL_STYLE) | CCS_TOP | CCS_NOPARENTALIGN);
    const int top = 320 - 26 - height;
    SetWindowPos(bar, nullptr, 0, top, 240, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(bar, TB_AUTOSIZE, 0, 0);
    SetWindowPos(parent.hwnd, nullptr, 0, 0, 240, 300, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    SendMessageW(bar, TB_AUTOSIZE, 0, 0);
    RECT placed = parent.BarRect(bar);
    EXPECT_EQ(placed.top, top);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(CommandBar_Height(bar), height);
}

// ---- Tooltips -----------------------------------------------------------------------------------

std::wstring TipOf(HWND toolbar, int id) {
    HWND tooltip = reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0));
    if (!tooltip) return L"<no tooltip control>";
    wchar_t text[80] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = toolbar;
    tool.uId = static_cast<UINT_PTR>(id);
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    return text;
}

TEST(CommandBar, TooltipsFollowTheButtonsWithoutSeparators) {
    enum Kind { kTipsAfterButtons, kTipsBeforeButtons, kMenuBar };
    for (Kind kind : {kTipsAfterButtons, kTipsBeforeButtons, kMenuBar}) {
        SCOPED_TRACE(kind);
        Parent parent;
        HWND bar = nullptr;
        if (kind == kMenuBar) {
            SHMENUBARINFO info{};
            info.cbSize = sizeof(info);
            info.hwndParent = parent.hwnd;
            ASSERT_TRUE(SHCreateMenuBar(&info));
            bar = info.hwndMB;
        } else {
            bar = CommandBar_Create(nullptr, parent.hwnd, kBarId);
        }
        TBBUTTON buttons[] = {Button(2, BTNS_BUTTON), Button(0, BTNS_SEP), Button(30, BTNS_BUTTON),
                              Button(32, BTNS_BUTTON)};
        // Copied: the caller's texts may go away.
        std::wstring first = L"Cancel", second = L"Back";
        const wchar_t* tips[] = {first.c_str(), second.c_str()};
        if (kind != kTipsBeforeButtons) {
            ASSERT_TRUE(CommandBar_AddButtons(bar, 4, buttons));
        }
        ASSERT_TRUE(CommandBar_AddToolTips(bar, 2, tips));
        if (kind == kTipsBeforeButtons) {
            ASSERT_TRUE(CommandBar_AddButtons(bar, 4, buttons));
        }
        first.assign(L"Gone!!");
        second.assign(L"Gone");

        HWND toolbar = kind == kMenuBar ? ce::MenuBarToolbar(bar) : bar;
        EXPECT_EQ(TipOf(toolbar, 2), L"Cancel");
        EXPECT_EQ(TipOf(toolbar, 30), L"Back");
        EXPECT_EQ(TipOf(toolbar, 32), L"");  // a button beyond the texts has none
    }
}

}  // namespace
