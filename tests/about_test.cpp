// The About sheet: gauges read back pixel by pixel from memory contexts,
// the storage cards of the device profile, and the real sheet.
#include "framework/about.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "framework/language.h"
#include "platform/aygshell.h"
#include "platform/deviceprofile.h"
#include "resources/resource.h"
#include "tests/support/testsupport.h"

namespace {

constexpr ULONGLONG kMega = 1ull << 20;
constexpr ULONGLONG kGiga = 1ull << 30;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A white 24-bit picture in a memory context, read pixel by pixel.
class Surface {
public:
    Surface(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc_.SelectBitmap(bitmap_.Get());
        RECT all{0, 0, width, height};
        FillRect(dc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Surface() { dc_.DeselectBitmap(); }
    HDC Dc() const { return dc_.Get(); }
    COLORREF At(int x, int y) const { return GetPixel(dc_.Get(), x, y); }
    // Pixels of the 96-dpi rectangle that `match` accepts.
    template <class Match>
    int Count(int left, int top, int right, int bottom, Match match) const {
        int count = 0;
        for (int y = ScaleY(top); y < ScaleY(bottom); ++y)
            for (int x = ScaleX(left); x < ScaleX(right); ++x) count += match(At(x, y)) ? 1 : 0;
        return count;
    }

private:
    FMemoryDC dc_{nullptr};
    FBitmap bitmap_;
};

bool IsDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 150; }
bool IsDarkBlue(COLORREF c) { return GetBValue(c) > 100 && GetRValue(c) < 60 && GetGValue(c) < 60; }

// The colours of every column of the gauge strip, to tell which column a
// gauge pixel was copied from.
class StripColours {
public:
    StripColours() {
        FBitmap strip(static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_GAUGE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        FMemoryDC dc(nullptr);
        dc.SelectBitmap(strip.Get());
        for (int column : {kGaugeLightBlue, kGaugeGreen, kGaugeOrange, kGaugeRed, kGaugeEmpty})
            for (int row = 0; row < 64; ++row) columns_[column].insert(GetPixel(dc.Get(), column, row));
        dc.DeselectBitmap();
    }
    // The strip column holding `colour`, or -1.
    int ColumnOf(COLORREF colour) const {
        for (int column = 0; column < 9; ++column)
            if (columns_[column].count(colour)) return column;
        return -1;
    }

private:
    std::set<COLORREF> columns_[9];
};

// Where a block at (x, y) shows its gauge, 96-dpi: a point inside it near
// the left end and one near the right end, both clear of the centred text.
POINT GaugeLeft(int x, int y) { return {ScaleX(x + 40) + 2, ScaleY(y + 14) + 3}; }
POINT GaugeRight(int x, int y) { return {ScaleX(x + 200) - 3, ScaleY(y + 14) + 3}; }

class AboutTest : public testing::Test {
protected:
    void SetUp() override {
        AppInstance = GetModuleHandleW(nullptr);
        LangJapanese = false;
    }
    void TearDown() override { LangJapanese = false; }

    // Writes a value of the device profile, which starts empty.
    void Write(const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_TRUE(WriteProfileValue(subkey, name, type, data, size));
    }
    void Card(const std::wstring& name, ULONGLONG total, ULONGLONG freeBytes, bool withTotal = true) {
        std::wstring key = std::wstring(ce::kProfileCardsKey) + L"\\" + name;
        if (withTotal) Write(key, ce::kProfileCardTotalBytes, REG_QWORD, &total, sizeof total);
        Write(key, ce::kProfileCardFreeBytes, REG_QWORD, &freeBytes, sizeof freeBytes);
    }

    StripColours strip;
    ScratchKey profile{ce::kDeviceProfileKey};
};

// A folder in the device root, removed afterwards.
struct RootFolder {
    std::wstring path;
    explicit RootFolder(const std::wstring& name) : path(L"\\" + name) {
        RemoveTree(path);
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~RootFolder() { RemoveTree(path); }
};

}  // namespace

// ---- Memory blocks ----------------------------------------------------------------------

TEST_F(AboutTest, MemoryGaugeColourFollowsTheFreeShare) {
    struct Case {
        ULONGLONG freeBytes;
        ULONGLONG total;
        int leftColumn;   // the fill near the gauge's left end
        int rightColumn;  // near its right end
    };
    const Case cases[] = {
        /* 0 */ {20, 100, kGaugeRed, kGaugeEmpty},
        /* 1 */ {60, 100, kGaugeGreen, kGaugeEmpty},
        /* 2 */ {80, 100, kGaugeLightBlue, kGaugeEmpty},
        /* 3 */ {100, 100, kGaugeLightBlue, kGaugeLightBlue},
        /* 4 */ {6 * kGiga, 8 * kGiga, kGaugeLightBlue, kGaugeEmpty},  // 75 % of a card over 4 GB
        /* 5 */ {0, 0, kGaugeEmpty, kGaugeEmpty},                      // no total: no share
        /* 6 */ {5, 4, kGaugeEmpty, kGaugeEmpty},                      // more free than in total
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        Surface surface(240, 60);
        DrawMemoryBlock(surface.Dc(), 4, 4, MemoryFigures{cases[i].freeBytes, cases[i].total, true}, IDI_MEMORY,
                        L"Rest of program memory");
        POINT left = GaugeLeft(4, 4);
        POINT right = GaugeRight(4, 4);
        EXPECT_EQ(strip.ColumnOf(surface.At(left.x, left.y)), cases[i].leftColumn) << "case " << i;
        EXPECT_EQ(strip.ColumnOf(surface.At(right.x, right.y)), cases[i].rightColumn) << "case " << i;
        const bool shareShown = cases[i].leftColumn != kGaugeEmpty;
        EXPECT_EQ(surface.Count(44, 18, 204, 30, IsDark) > 0, shareShown) << "case " << i << ": percentage text";
        EXPECT_GT(surface.Count(44, 34, 124, 46, IsDark), 0) << "case " << i << ": free bytes";
        EXPECT_GT(surface.Count(124, 34, 204, 46, IsDark), 0) << "case " << i << ": total bytes";
        EXPECT_GT(surface.Count(44, 4, 204, 18, IsDarkBlue), 0) << "case " << i << ": label";
        EXPECT_GT(surface.Count(4, 8, 36, 40, [](COLORREF c) { return c != kWhite; }), 0) << "case " << i << ": icon";
    }
}

TEST_F(AboutTest, UnknownMemoryShowsAnEmptyGaugeWithoutByteCounts) {
    Surface surface(240, 60);
    DrawMemoryBlock(surface.Dc(), 4, 4, MemoryFigures{}, IDI_MEMORY, L"Rest of data memory");
    POINT left = GaugeLeft(4, 4);
    EXPECT_EQ(strip.ColumnOf(surface.At(left.x, left.y)), kGaugeEmpty);
    EXPECT_GT(surface.Count(44, 18, 204, 30, IsDark), 0) << "the gauge says Unknown";
    EXPECT_EQ(surface.Count(44, 34, 204, 46, IsDark), 0) << "byte counts of a failed query";

    EXPECT_STREQ(ReadMemoryGauge(MemoryFigures{}).label, L"Unknown");
    LangJapanese = true;
    EXPECT_STREQ(ReadMemoryGauge(MemoryFigures{}).label, L"不明");
}

TEST_F(AboutTest, LargeByteCountsReadInGigabytes) {
    struct Case {
        ULONGLONG bytes;
        const wchar_t* expected;
    };
    const Case cases[] = {
        /* 0 */ {0, L"0 B"},
        /* 1 */ {0xFFFFFFFFull, L"4095.9 MB"},
        /* 2 */ {4 * kGiga, L"4.0 GB"},
        /* 3 */ {8 * kGiga + 512 * kMega, L"8.5 GB"},
        /* 4 */ {5 * kGiga - 1, L"4.9 GB"},  // truncated, never rounded up
        /* 5 */ {~0ull, L"17179869183.9 GB"},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        wchar_t text[kLargeByteSizeUnits + 4];
        for (wchar_t& c : text) c = 0x6666;
        EXPECT_EQ(FormatLargeByteSize(cases[i].bytes, text, kLargeByteSizeUnits), text) << "case " << i;
        EXPECT_EQ(std::wstring(text), cases[i].expected) << "case " << i;
        for (int g = kLargeByteSizeUnits; g < kLargeByteSizeUnits + 4; ++g) EXPECT_EQ(text[g], 0x6666) << "case " << i;
    }
}

// ---- Battery blocks ----------------------------------------------------------------------

TEST_F(AboutTest, BatteryGaugeFollowsPercentOrSingleState) {
    struct Case {
        BYTE percent;
        BYTE flag;
        int value;
        int column;
        const wchar_t* english;  // null: no text of its own
        const wchar_t* japanese;
    };
    const Case cases[] = {
        /*  0 */ {76, BATTERY_FLAG_HIGH, 76, kGaugeLightBlue, nullptr, nullptr},
        /*  1 */ {100, 0, 100, kGaugeLightBlue, nullptr, nullptr},
        /*  2 */ {24, 0, 24, kGaugeRed, nullptr, nullptr},
        /*  3 */ {25, 0, 25, kGaugeOrange, nullptr, nullptr},
        /*  4 */ {50, 0, 50, kGaugeGreen, nullptr, nullptr},
        /*  5 */ {150, 0, 150, kGaugeRed, nullptr, nullptr},  // above 100: no fill, no text
        /*  6 */ {255, 1, 100, kGaugeLightBlue, L"High", L"多い"},
        /*  7 */ {255, 2, 25, kGaugeOrange, L"Low", L"少ない"},
        /*  8 */ {255, 4, 10, kGaugeRed, L"Critical", L"極少"},
        /*  9 */ {255, 8, 0, kGaugeRed, L"Charging", L"充電中"},
        /* 10 */ {255, 128, 0, kGaugeRed, L"None", L"なし"},
        /* 11 */ {255, 255, 0, kGaugeRed, L"Unknown", L"不明"},
        /* 12 */ {255, 1 | 8, kGaugeNoFill, kGaugeRed, nullptr, nullptr},
    };
    for (bool japanese : {false, true}) {
        LangJapanese = japanese;
        for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
            GaugeReading reading = ReadBatteryGauge(cases[i].percent, cases[i].flag);
            EXPECT_EQ(reading.value, cases[i].value) << "case " << i;
            EXPECT_EQ(reading.column, cases[i].column) << "case " << i;
            const wchar_t* label = japanese ? cases[i].japanese : cases[i].english;
            if (label)
                EXPECT_STREQ(reading.label, label) << "case " << i << " japanese " << japanese;
            else
                EXPECT_EQ(reading.label, nullptr) << "case " << i;
        }
    }
}

TEST_F(AboutTest, BatteryBlocksReadBack) {
    struct Case {
        BYTE percent;
        BYTE flag;
        int leftColumn;
        int rightColumn;
        bool text;
    };
    const Case cases[] = {
        /* 0 */ {255, BATTERY_FLAG_CHARGING, kGaugeEmpty, kGaugeEmpty, true},  // grey, "Charging"
        /* 1 */ {255, BATTERY_FLAG_HIGH | BATTERY_FLAG_CHARGING, kGaugeEmpty, kGaugeEmpty, false},
        /* 2 */ {100, BATTERY_FLAG_HIGH, kGaugeLightBlue, kGaugeLightBlue, true},
        /* 3 */ {200, BATTERY_FLAG_HIGH, kGaugeEmpty, kGaugeEmpty, false},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        Surface surface(240, 60);
        DrawBatteryBlock(surface.Dc(), 4, 4, cases[i].percent, cases[i].flag, IDI_BATTERY, L"Main Battery");
        POINT left = GaugeLeft(4, 4);
        POINT right = GaugeRight(4, 4);
        EXPECT_EQ(strip.ColumnOf(surface.At(left.x, left.y)), cases[i].leftColumn) << "case " << i;
        EXPECT_EQ(strip.ColumnOf(surface.At(right.x, right.y)), cases[i].rightColumn) << "case " << i;
        EXPECT_EQ(surface.Count(44, 18, 204, 30, IsDark) > 0, cases[i].text) << "case " << i << ": gauge text";
        EXPECT_GT(surface.Count(44, 4, 204, 18, IsDarkBlue), 0) << "case " << i << ": label";
    }
}

TEST_F(AboutTest, FailedPowerQueryPaintsBothBatteriesUnknown) {
    DWORD fails = 1;
    Write(L"", ce::kProfilePowerQueryFails, REG_DWORD, &fails, sizeof fails);
    Surface surface(240, 100);
    PaintBatteryPage(surface.Dc());
    for (int top : {4, 46}) {
        POINT left = GaugeLeft(4, top);
        EXPECT_EQ(strip.ColumnOf(surface.At(left.x, left.y)), kGaugeEmpty) << "block at " << top;
        EXPECT_GT(surface.Count(44, top + 14, 204, top + 26, IsDark), 0) << "block at " << top << ": Unknown";
    }
}

// ---- Storage cards ----------------------------------------------------------------------

TEST_F(AboutTest, CardsTakeTheirPlacesFiftyApart) {
    Card(L"About Card One", 128 * kMega, 32 * kMega);
    Card(L"About Card Two", 64 * kMega, 48 * kMega);
    Card(L"About Card Bad", 0, 0, /*withTotal=*/false);
    RootFolder one(L"About Card One");
    RootFolder bad(L"About Card Bad");
    RootFolder two(L"About Card Two");
    RootFolder plain(L"About Plain");

    CardBlockList cards = ListCardBlocks();
    ASSERT_EQ(cards.size(), 2u) << "expected the two readable cards only";
    std::set<std::wstring> names;
    int expectedY = 100;
    for (const CardBlock& card : cards) {
        names.insert(card.name);
        EXPECT_EQ(card.x, 4) << Narrow(card.name);
        EXPECT_EQ(card.y, expectedY) << Narrow(card.name);
        expectedY += 50;
        const bool isOne = std::wstring(card.name) == L"About Card One";
        EXPECT_EQ(card.figures.totalBytes, isOne ? 128 * kMega : 64 * kMega) << Narrow(card.name);
        EXPECT_EQ(card.figures.freeBytes, isOne ? 32 * kMega : 48 * kMega) << Narrow(card.name);
    }
    EXPECT_EQ(names, (std::set<std::wstring>{L"About Card One", L"About Card Two"}));

    // The page draws a gauge at each card's place and nothing below.
    Surface surface(240, 260);
    PaintMemoryPage(surface.Dc());
    for (int top : {4, 52, 100, 150}) {
        POINT left = GaugeLeft(4, top);
        EXPECT_NE(strip.ColumnOf(surface.At(left.x, left.y)), -1) << "no gauge at " << top;
    }
    POINT below = GaugeLeft(4, 200);
    EXPECT_EQ(surface.At(below.x, below.y), kWhite) << "a block where no card is";
}

// ---- The sheet --------------------------------------------------------------------------------

namespace {

// What the watcher saw of the shown sheet.
struct SheetSeen {
    std::wstring caption;
    std::vector<std::wstring> tabs;
    std::wstring title;    // static 11901 of the first page
    std::wstring version;  // static 11902
    std::wstring note;     // static 11906
    bool forced = false;   // the sheet had to be closed by the safety timer
};

SheetSeen seen;
HWND shownSheet;
int closeWith;

HWND FindSheet() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            wchar_t cls[16] = L"";
            GetClassNameW(window, cls, 16);
            if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[MAX_PATH] = L"";
    GetDlgItemTextW(dialog, id, text, MAX_PATH);
    return text;
}

// Reads the sheet from inside its modal loop, then closes it as a tap on
// the menu bar would.
void CALLBACK LookAtSheet(HWND, UINT, UINT_PTR id, DWORD) {
    shownSheet = FindSheet();
    if (!shownSheet) return;
    KillTimer(nullptr, id);
    wchar_t caption[MAX_PATH] = L"";
    GetWindowTextW(shownSheet, caption, MAX_PATH);
    seen.caption = caption;
    HWND tabs = reinterpret_cast<HWND>(SendMessageW(shownSheet, PSM_GETTABCONTROL, 0, 0));
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = L"";
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        seen.tabs.push_back(text);
    }
    HWND page = reinterpret_cast<HWND>(SendMessageW(shownSheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    seen.title = ItemText(page, IDC_ABOUT_TITLE);
    seen.version = ItemText(page, IDC_ABOUT_VERSION);
    seen.note = ItemText(page, IDC_ABOUT_NOTE);
    // The other pages paint as they are shown.
    SendMessageW(shownSheet, PSM_SETCURSEL, 1, 0);
    SendMessageW(shownSheet, PSM_SETCURSEL, 2, 0);
    PostMessageW(shownSheet, WM_COMMAND, MAKEWPARAM(closeWith, BN_CLICKED), 0);
}

}  // namespace

TEST_F(AboutTest, SheetShowsThreePagesInTheInterfaceLanguage) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    struct Case {
        bool japanese;
        int closeWith;
        const wchar_t* caption;
        std::vector<std::wstring> tabs;
    };
    const Case cases[] = {
        /* 0 */ {false, IDCANCEL, L"About...", {L"Version", L"Memory", L"Battery"}},
        /* 1 */ {true, IDOK, L"ﾊﾞｰｼﾞｮﾝ情報...", {L"ﾊﾞｰｼﾞｮﾝ", L"ﾒﾓﾘ", L"ﾊﾞｯﾃﾘ"}},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        LangJapanese = cases[i].japanese;
        seen = SheetSeen{};
        shownSheet = nullptr;
        closeWith = cases[i].closeWith;
        UINT_PTR look = SetTimer(nullptr, 0, 200, LookAtSheet);
        UINT_PTR safety = SetTimer(nullptr, 0, 8000, [](HWND, UINT, UINT_PTR, DWORD) {
            seen.forced = true;
            if (HWND sheet = FindSheet()) PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
        });
        ShowAboutBox(nullptr);
        KillTimer(nullptr, look);
        KillTimer(nullptr, safety);

        EXPECT_FALSE(seen.forced) << "case " << i << ": the sheet did not close as asked";
        EXPECT_EQ(seen.caption, cases[i].caption) << "case " << i;
        EXPECT_EQ(seen.tabs, cases[i].tabs) << "case " << i;
        EXPECT_EQ(seen.title, L"VRK (Pebblora)") << "case " << i;
        EXPECT_EQ(seen.version, L"Version 1.10") << "case " << i;
        EXPECT_EQ(seen.note, L"") << "case " << i << ": string 106 does not exist";
        EXPECT_EQ(DialogMap.Size(), 0u) << "case " << i << ": a page stayed registered";
    }
}
