// The game view, the main window and the game flow, driven as real windows:
// the layout numbers, what a tap draws (read back from the view), the score
// band, the end of a game with its dialog, and the commands.
#include "game/gamewindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "game/skinfile.h"
#include "resources/resource.h"
#include "skin/imageload.h"
#include "tests/support/testsupport.h"

// A cursor's cell as a failure message shows it.
void PrintTo(const CursorCell& cell, std::ostream* out) { *out << "(" << cell.column << ", " << cell.row << ")"; }

namespace {

constexpr COLORREF kSentinel = RGB(0x66, 0x06, 0x66);
constexpr int kBuiltInCell = 16;  // side of the built-in pieces
constexpr int kBandY = 2;
constexpr int kBestX = 2;
constexpr int kScoreX = 160;

std::string Hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// ---- Pixels ---------------------------------------------------------------------------

// A copy of a rectangle of a device context, top row first.
class Pixels {
public:
    Pixels() = default;
    Pixels(HDC source, int x, int y, int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        FBitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        FMemoryDC dc(source);
        if (!copy || !dc || !bits) return;
        dc.SelectBitmap(copy.Get());
        if (BitBlt(dc.Get(), 0, 0, width, height, source, x, y, SRCCOPY)) {
            GdiFlush();
            const auto* quads = static_cast<const RGBQUAD*>(bits);
            for (int i = 0; i < width * height; ++i)
                colours_.push_back(RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue));
        }
        dc.DeselectBitmap();
    }

    bool Read() const { return !colours_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const { return colours_[y * width_ + x]; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> colours_;
};

// The width x height block of `actual` at (x0, y0) has colour(x, y) at (x0 + x, y0 + y).
testing::AssertionResult BlockIs(const Pixels& actual, int x0, int y0, int width, int height,
                                 const std::function<COLORREF(int, int)>& colour) {
    if (!actual.Read()) return testing::AssertionFailure() << "could not read the pixels";
    if (x0 + width > actual.Width() || y0 + height > actual.Height())
        return testing::AssertionFailure() << "only " << actual.Width() << " x " << actual.Height() << " pixels read";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (colour(x, y) != actual.At(x0 + x, y0 + y))
                return testing::AssertionFailure() << "at (" << x << ", " << y << ") expected " << Hex(colour(x, y))
                                                   << ", got " << Hex(actual.At(x0 + x, y0 + y));
    return testing::AssertionSuccess();
}

testing::AssertionResult PixelsAre(const std::function<COLORREF(int, int)>& colour, const Pixels& actual) {
    return BlockIs(actual, 0, 0, actual.Width(), actual.Height(), colour);
}

testing::AssertionResult SamePixels(const Pixels& expected, const Pixels& actual) {
    if (!expected.Read()) return testing::AssertionFailure() << "could not read the expected pixels";
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height())
        return testing::AssertionFailure() << "expected " << expected.Width() << " x " << expected.Height()
                                           << ", got " << actual.Width() << " x " << actual.Height();
    return PixelsAre([&](int x, int y) { return expected.At(x, y); }, actual);
}

// A bitmap in a memory context: a bitmap resource of the program, or a blank
// 32-bit surface of one colour.
class Surface {
public:
    explicit Surface(UINT id)
        : bitmap_(static_cast<HBITMAP>(
              LoadImageW(AppInstance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
        dc_.SelectBitmap(bitmap_.Get());
    }
    Surface(int width, int height, COLORREF fill) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc_.SelectBitmap(bitmap_.Get());
        FBrush brush(CreateSolidBrush(fill));
        RECT all{0, 0, width, height};
        FillRect(dc_.Get(), &all, brush.Get());
    }
    ~Surface() { dc_.DeselectBitmap(); }

    HDC Dc() const { return dc_.Get(); }
    Pixels Block(int x, int y, int width, int height) const { return Pixels(dc_.Get(), x, y, width, height); }
    int Width() const {
        int width = 0, height = 0;
        return GetBitmapSize(bitmap_.Get(), width, height) ? width : 0;
    }

private:
    FBitmap bitmap_;
    FMemoryDC dc_{nullptr};
};

// `pixels` starts with the glyphs of `text`, one per character, from the
// digit strip.
testing::AssertionResult ShowsDigits(const Pixels& pixels, const std::string& text) {
    static const Surface strip(IDB_DIGITS);
    static const Pixels glyphs = strip.Block(0, 0, strip.Width(), kDigitHeight);
    const std::string characters = "0123456789-";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int index = static_cast<int>(characters.find(text[i]));
        const testing::AssertionResult same =
            BlockIs(pixels, static_cast<int>(i) * kDigitWidth, 0, kDigitWidth, kDigitHeight,
                    [&](int x, int y) { return glyphs.At(index * kDigitWidth + x, y); });
        if (!same)
            return testing::AssertionFailure() << "glyph " << i << " of \"" << text << "\" is not '" << text[i]
                                               << "': " << same.message();
    }
    return testing::AssertionSuccess();
}

std::string Formatted(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%06d", value);
    return text;
}

// A 24-bit bottom-up BMP file whose pixel (x, y), top row first, is colour(x, y).
std::string MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& colour) {
    const int stride = (width * 3 + 3) & ~3;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(stride * height);
    std::string file(54 + imageBytes, '\0');
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, imageBytes);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            const int at = 54 + (height - 1 - y) * stride + x * 3;
            file[at] = static_cast<char>(GetBValue(c));
            file[at + 1] = static_cast<char>(GetGValue(c));
            file[at + 2] = static_cast<char>(GetRValue(c));
        }
    return file;
}

// ---- Positions --------------------------------------------------------------------------

// No two neighbours alike: no move is left.
int Checkerboard(int column, int row) { return (column + row) % 2 + 1; }
int Cleared(int, int) { return 0; }
// The checkerboard with one group of colour 3 in the bottom-left corner:
// (0,0), (1,0) and (0,1).
int CornerGroup(int column, int row) {
    if ((column == 0 && row <= 1) || (column == 1 && row == 0)) return 3;
    return Checkerboard(column, row);
}
// Only one pair left, at the bottom left.
int LastPair(int column, int row) { return row == 0 && column <= 1 ? 1 : 0; }

// ---- The game-over dialog, watched --------------------------------------------------------

// Watches this thread for dialogs. When one has been set up it records what
// the dialog object, the board and the score band hold at that moment; once
// the dialog is on screen it reads the score the dialog painted and closes it
// with `answer`, as a click would. One watcher at a time.
class GameOverWatcher {
public:
    struct Seen {
        std::wstring caption;
        HWND owner = nullptr;
        int dialogScore = INT_MIN;  // the score the DlgGameOver object holds
        int boardScore = INT_MIN;
        int boardBest = INT_MIN;
        Pixels band;                // the view's current-score digits
        Pixels painted;             // the dialog's digits at (40, 20)
    };

    GameOverWatcher(GameWindow& game, int answer) : game_(game), answer_(answer) {
        active_ = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, HookProc, nullptr, GetCurrentThreadId());
    }
    ~GameOverWatcher() {
        if (hook_) UnhookWindowsHookEx(hook_);
        if (timer_) KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    GameOverWatcher(const GameOverWatcher&) = delete;
    GameOverWatcher& operator=(const GameOverWatcher&) = delete;

    const std::vector<Seen>& Dialogs() const { return seen_; }

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && active_ && call->message == WM_INITDIALOG) active_->OnDialogReady(call->hwnd);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void OnDialogReady(HWND dialog) {
        Seen seen;
        wchar_t caption[128] = L"";
        GetWindowTextW(dialog, caption, 128);
        seen.caption = caption;
        seen.owner = GetWindow(dialog, GW_OWNER);
        if (auto* object = dynamic_cast<DlgGameOver*>(DialogMap.Find(dialog))) seen.dialogScore = object->score;
        seen.boardScore = game_.board.Score();
        seen.boardBest = game_.board.Best();
        FClientDC view(game_.board.view.hwnd);
        seen.band = Pixels(view.Get(), kScoreX, kBandY, 6 * kDigitWidth, kDigitHeight);
        seen_.push_back(std::move(seen));
        pending_ = dialog;
        started_ = GetTickCount();
        timer_ = SetTimer(nullptr, 0, 30, TimerProc);
    }

    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
        GameOverWatcher* self = active_;
        if (!self || !self->pending_) return;
        HWND dialog = self->pending_;
        const bool shown = IsWindowVisible(dialog);
        if (!shown && GetTickCount() - self->started_ < 5000) return;
        if (shown) {
            UpdateWindow(dialog);
            FClientDC dc(dialog);
            self->seen_.back().painted = Pixels(dc.Get(), 40, 20, 6 * kDigitWidth, kDigitHeight);
        }
        KillTimer(nullptr, id);
        self->timer_ = 0;
        self->pending_ = nullptr;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(self->answer_, BN_CLICKED), 0);
    }

    static inline GameOverWatcher* active_ = nullptr;
    GameWindow& game_;
    int answer_;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    HWND pending_ = nullptr;
    DWORD started_ = 0;
    std::vector<Seen> seen_;
};

// ---- The window under test ------------------------------------------------------------------

// A main window that also records every command it receives.
class CountingWindow : public GameWindow {
public:
    LRESULT OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        commands.push_back(wParam);
        return GameWindow::OnCommand(hwnd, message, wParam, lParam);
    }
    int Count(WPARAM wParam) const {
        int n = 0;
        for (WPARAM seen : commands) n += seen == wParam;
        return n;
    }
    std::vector<WPARAM> commands;
};

class GameTest : public testing::Test {
protected:
    void SetUp() override {
        InitAppValues(GetModuleHandleW(nullptr));
        LangJapanese = false;
        SkinInfo = SkinDescription{};
    }
    void TearDown() override {
        Close();
        LangJapanese = false;
        SkinInfo = SkinDescription{};
    }

    // Creates the main window as the application main does. False when it
    // could not be made.
    bool Create(std::unique_ptr<GameWindow> window = std::make_unique<GameWindow>()) {
        Close();
        window_ = std::move(window);
        // No skin is remembered, so creation may open the skin chooser:
        // cancelling it keeps the built-in pictures.
        BoxWatcher chooser(IDCANCEL);
        if (!CreateMainWindow(*window_, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              WS_VISIBLE | WS_CLIPCHILDREN, 0, COLOR_WINDOW | 0x40000000))
            return false;
        board().Seed(20261207);
        return view() != nullptr;
    }
    // The same, then sizes the frame so that its view is viewWidth x viewHeight.
    bool Open(int viewWidth, int viewHeight, std::unique_ptr<GameWindow> window = std::make_unique<GameWindow>()) {
        if (!Create(std::move(window))) return false;
        SizeView(viewWidth, viewHeight);
        return true;
    }

    // The window goes before its object: the object handles the window's
    // last messages.
    void Close() {
        if (window_ && window_->hwnd && IsWindow(window_->hwnd)) DestroyWindow(window_->hwnd);
        window_.reset();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    // Gives the frame the size whose view (its client area less the menu bar)
    // is width x height, below the navigation bar; the size notification lays
    // the board out again. Paints what is pending.
    void SizeView(int width, int height) {
        RECT frame, client;
        GetWindowRect(hwnd(), &frame);
        GetClientRect(hwnd(), &client);
        const int extraWidth = (frame.right - frame.left) - client.right;
        const int extraHeight = (frame.bottom - frame.top) - client.bottom;
        SetWindowPos(hwnd(), nullptr, 0, ScaleY(26), width + extraWidth, height + ScaleY(26) + extraHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        Repaint();
    }

    void Repaint() {
        InvalidateRect(view(), nullptr, TRUE);
        UpdateWindow(hwnd());
        UpdateWindow(view());
    }

    // Where the view sits, its cell size and the board's dimensions, in one line.
    std::string LayoutNow() {
        RECT placed;
        GetWindowRect(view(), &placed);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&placed), 2);
        const BoardPainter& b = board();
        return Describe(placed, b.left, b.bottom, b.cellWidth, b.cellHeight, b.Columns(), b.Rows(), b.layoutColumns,
                        b.layoutRows, b.CountPieces());
    }
    // The same for a view of width x height at the frame's top left, filled
    // with a new deal.
    static std::string Layout(int width, int height, int cell, int columns, int rows) {
        return Describe({0, 0, width, height}, 0, height, cell, cell, columns, rows, columns, rows, columns * rows);
    }
    static std::string Describe(const RECT& view, int left, int bottom, int cellWidth, int cellHeight, int columns,
                                int rows, int layoutColumns, int layoutRows, int pieces) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "view (%ld,%ld)-(%ld,%ld) left %d bottom %d cell %dx%d board %dx%d layout %dx%d pieces %d",
                      view.left, view.top, view.right, view.bottom, left, bottom, cellWidth, cellHeight, columns, rows,
                      layoutColumns, layoutRows, pieces);
        return text;
    }

    GameWindow& game() { return *window_; }
    BoardPainter& board() { return window_->board; }
    HWND hwnd() const { return window_->hwnd; }
    HWND view() const { return window_->board.view.hwnd; }

    // Puts value(column, row) in every cell and repaints the view.
    void SetPosition(const std::function<int(int, int)>& value) {
        for (int c = 0; c < board().Columns(); ++c)
            for (int r = 0; r < board().Rows(); ++r) board().SetCell(c, r, static_cast<signed char>(value(c, r)));
        Repaint();
    }

    // The view position of the centre of a cell.
    LPARAM CellCentre(int column, int row) {
        return MAKELPARAM(column * board().cellWidth + board().cellWidth / 2,
                          board().bottom - row * board().cellHeight - board().cellHeight / 2);
    }
    void PenDown(LPARAM at) { SendMessageW(view(), WM_LBUTTONDOWN, MK_LBUTTON, at); }
    void PenUp(LPARAM at) { SendMessageW(view(), WM_LBUTTONUP, 0, at); }
    void Tap(LPARAM at) {
        PenDown(at);
        PenUp(at);
    }

    // Keys as the keyboard sends them to the focused main window; `repeat`
    // marks an auto-repeat of a held key.
    void KeyDown(UINT key, bool repeat = false) {
        SendMessageW(hwnd(), WM_KEYDOWN, key, static_cast<LPARAM>(repeat ? 0x40000001 : 1));
    }
    void KeyUp(UINT key) { SendMessageW(hwnd(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u)); }
    void Action() {
        KeyDown(VK_RETURN);
        KeyUp(VK_RETURN);
    }
    // A fresh cursor: hidden by a tap on the score band, at the start.
    void HideCursorAtStart() {
        SendMessageW(hwnd(), WM_COMMAND, IDM_FILE_NEW, 0);
        Tap(MAKELPARAM(120, 5));
    }
    // Shows a hidden cursor and walks it by arrows to (column, row).
    void WalkCursorTo(int column, int row) {
        if (!board().cursorShown) KeyDown(VK_RIGHT);
        while (board().cursor.column < column) KeyDown(VK_RIGHT);
        while (board().cursor.column > column) KeyDown(VK_LEFT);
        while (board().cursor.row < row) KeyDown(VK_UP);
        while (board().cursor.row > row) KeyDown(VK_DOWN);
    }
    // Every cell, column by column from the bottom, then the score and marking.
    std::string BoardNow() {
        std::string text;
        for (int c = 0; c < board().Columns(); ++c) {
            for (int r = 0; r < board().Rows(); ++r) text += static_cast<char>('a' + 16 + board().Cell(c, r));
            text += '|';
        }
        return text + " score " + std::to_string(board().Score()) + " marked " +
               std::to_string(board().MarkedCount());
    }

    // What the view shows now at a cell, and in the score band.
    Pixels CellOnView(int column, int row) {
        FClientDC dc(view());
        return Pixels(dc.Get(), column * board().cellWidth, board().bottom - (row + 1) * board().cellHeight,
                      board().cellWidth, board().cellHeight);
    }
    Pixels BandOnView(int x, int glyphs) {
        FClientDC dc(view());
        return Pixels(dc.Get(), x, kBandY, glyphs * kDigitWidth, kDigitHeight);
    }

    // The remembered skin setting, absent while a test runs.
    ScratchKey setting_{kSkinSettingKey};
    std::unique_ptr<GameWindow> window_;
};

// The block of the built-in strip for a cell value (marked when negative).
Pixels PieceBlock(const Surface& strip, int value) {
    const int colour = value < 0 ? -value : value;
    return strip.Block((colour - 1) * kBuiltInCell, value < 0 ? kBuiltInCell : 0, kBuiltInCell, kBuiltInCell);
}

// A 16-pixel cell under the cursor: a black outer ring, a white one inside
// it, and `under` (the piece or background) in the middle.
testing::AssertionResult ShowsCursorOver(const Pixels& under, const Pixels& actual) {
    return PixelsAre(
        [&](int x, int y) {
            const int edge = std::min(std::min(x, y), std::min(kBuiltInCell - 1 - x, kBuiltInCell - 1 - y));
            return edge == 0 ? RGB(0, 0, 0) : edge == 1 ? RGB(255, 255, 255) : under.At(x, y);
        },
        actual);
}

// ---- Layout ------------------------------------------------------------------------------------

TEST_F(GameTest, LayoutFitsSquareCellsUnderTheScoreBand) {
    struct Case {
        int width, height;
        int columns, rows;
    };
    const Case cases[] = {
        /* 0 */ {240, 268, 15, 15},
        /* 1 */ {480, 536, 30, 32},
        /* 2 */ {250, 268, 15, 15},  // a 10-pixel strip stays empty on the right
        /* 3 */ {240, 36, 15, 1},    // the band and exactly one row
        /* 4 */ {240, 35, 0, 0},     // no room for a row: no cells at all
        /* 5 */ {15, 268, 0, 0},     // no room for a column
        /* 6 */ {240, 10, 0, 0},     // lower than the band
    };
    ASSERT_TRUE(Open(cases[0].width, cases[0].height));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SizeView(c.width, c.height);
        EXPECT_EQ(LayoutNow(), Layout(c.width, c.height, kBuiltInCell, c.columns, c.rows)) << "case " << i;
    }
}

TEST_F(GameTest, LayoutRunsAtCreationOnceTheViewExists) {
    // The frame's first size notification after the view exists lays out;
    // none is skipped.
    ASSERT_TRUE(Create());
    RECT client;
    GetClientRect(hwnd(), &client);
    const int width = client.right, height = client.bottom - ScaleY(26);
    EXPECT_EQ(LayoutNow(), Layout(width, height, kBuiltInCell, width / kBuiltInCell, (height - 20) / kBuiltInCell));
}

TEST_F(GameTest, TooSmallViewHasNoGameAndATapEndsNothing) {
    ASSERT_TRUE(Open(240, 10));
    ASSERT_EQ(board().Columns(), 0);
    ASSERT_EQ(board().Rows(), 0);
    BoxWatcher watcher;
    Tap(MAKELPARAM(5, 5));
    Tap(MAKELPARAM(239, 9));
    EXPECT_TRUE(watcher.Seen().empty()) << "a board without cells has no game to end; caption seen: "
                                        << Narrow(watcher.Seen()[0].caption);
    EXPECT_EQ(board().Score(), 0);
    EXPECT_EQ(board().MarkedCount(), 0);
}

TEST_F(GameTest, PieceStripSetsTheCellSizeAndCapsTheColours) {
    // A strip of three 8 x 8 colours: colour k is RGB(60k, 200, 10), marked RGB(60k, 10, 200).
    auto threeColours = [](int x, int y) {
        const int k = x / 8 + 1;
        return y < 8 ? RGB(60 * k, 200, 10) : RGB(60 * k, 10, 200);
    };
    auto grey = [](int, int) { return RGB(128, 128, 128); };
    ScratchFolder folder;
    const std::wstring three = folder.WriteFile(L"three.bmp", MakeBmp(24, 16, threeColours));
    const std::wstring flat = folder.WriteFile(L"flat.bmp", MakeBmp(16, 1, grey));
    const std::wstring single = folder.WriteFile(L"single.bmp", MakeBmp(16, 32, grey));
    struct Case {
        std::wstring piecePath;
        int skinColours;
        int cell, colours;
    };
    const Case cases[] = {
        /* 0 */ {L"", 4, 16, 4},                            // built-in strip, 4 of its 5 colours
        /* 1 */ {L"", 5, 16, 5},
        /* 2 */ {L"", 9, 16, 5},                            // no more colours than the strip holds
        /* 3 */ {three, 4, 8, 3},
        /* 4 */ {flat, 4, 16, 4},                           // cells under one pixel: built-in strip
        /* 5 */ {single, 4, 16, 4},                         // one colour only: built-in strip
        /* 6 */ {folder / L"missing.bmp", 4, 16, 4},        // unreadable: built-in strip
    };
    const Surface builtIn(IDB_PIECES);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SkinInfo = SkinDescription{};
        lstrcpynW(SkinInfo.piecePath, c.piecePath.c_str(), kMaxPath);
        SkinInfo.colours = c.skinColours;
        ASSERT_TRUE(Open(240, 268)) << "case " << i;
        EXPECT_EQ(LayoutNow(), Layout(240, 268, c.cell, 240 / c.cell, (268 - 20) / c.cell)) << "case " << i;
        EXPECT_EQ(board().Colours(), c.colours) << "case " << i;
        std::set<int> dealt;
        for (int col = 0; col < board().Columns(); ++col)
            for (int row = 0; row < board().Rows(); ++row) dealt.insert(board().Cell(col, row));
        std::set<int> expected;
        for (int k = 1; k <= c.colours; ++k) expected.insert(k);
        EXPECT_EQ(dealt, expected) << "case " << i << ": the deal uses exactly colours 1.." << c.colours;

        const int v = board().Cell(0, 0);
        if (c.cell == 8) {
            EXPECT_TRUE(PixelsAre([&](int, int) { return threeColours((v - 1) * 8, 0); }, CellOnView(0, 0)))
                << "case " << i << ": cell (0, 0) of colour " << v;
        } else {
            EXPECT_TRUE(SamePixels(PieceBlock(builtIn, v), CellOnView(0, 0)))
                << "case " << i << ": cell (0, 0) of colour " << v;
        }
        Close();
    }
}

TEST_F(GameTest, BackgroundLayerGrowsWithAViewLargerThanTheScreen) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(Open(240, 268));
    const int width = screenWidth + 76, height = screenHeight + 132;
    SizeView(width, height);
    EXPECT_EQ(LayoutNow(), Layout(width, height, kBuiltInCell, width / kBuiltInCell, (height - 20) / kBuiltInCell));
    int layerWidth = 0, layerHeight = 0;
    ASSERT_TRUE(GetBitmapSize(board().backgroundLayer.Get(), layerWidth, layerHeight));
    EXPECT_GE(layerWidth, width);
    EXPECT_GE(layerHeight, height);
    // The stripes reach the far corner of the layer: it was tiled as a whole.
    const Surface stripes(IDB_BACKGROUND);
    const int y = (height - 1) / 4 * 4 - 4;
    EXPECT_TRUE(SamePixels(stripes.Block(0, 0, 1, 4), Pixels(board().backgroundDC.Get(), width - 1, y, 1, 4)));
}

TEST_F(GameTest, RelayoutDealsAndResetsTheBestScore) {
    ASSERT_TRUE(Open(240, 268));
    board().SetBest(42);
    board().SetScore(9);
    SetPosition(CornerGroup);
    PenDown(CellCentre(0, 0));
    ASSERT_EQ(board().MarkedCount(), 3);
    SizeView(480, 536);
    EXPECT_EQ(board().Best(), 0);
    EXPECT_EQ(board().Score(), 0);
    EXPECT_EQ(board().MarkedCount(), 0);
    EXPECT_EQ(board().CountPieces(), 30 * 32);
    EXPECT_TRUE(ShowsDigits(BandOnView(kBestX, 6), "000000"));
}

// ---- Taps ---------------------------------------------------------------------------------------

TEST_F(GameTest, TapDrawsTheGroupMarkedThenShowsTheBackgroundLayerWhereItWas) {
    // A background whose every pixel tells where it came from.
    auto where = [](int x, int y) { return RGB((x % 64) * 4, (y % 64) * 4, 0x80); };
    ScratchFolder folder;
    const std::wstring background = folder.WriteFile(L"where.bmp", MakeBmp(64, 64, where));
    lstrcpynW(SkinInfo.backgroundPath, background.c_str(), kMaxPath);
    ASSERT_TRUE(Open(240, 268));
    const int rows = board().Rows();
    ASSERT_EQ(rows, 15);
    SetPosition(CornerGroup);
    const Surface strip(IDB_PIECES);

    PenDown(CellCentre(0, 0));
    EXPECT_EQ(board().MarkedCount(), 3);
    for (auto [c, r] : {std::pair{0, 0}, {1, 0}, {0, 1}})
        EXPECT_TRUE(SamePixels(PieceBlock(strip, -3), CellOnView(c, r))) << "marked cell (" << c << ", " << r << ")";
    for (auto [c, r] : {std::pair{2, 0}, {1, 1}, {0, 2}})
        EXPECT_TRUE(SamePixels(PieceBlock(strip, Checkerboard(c, r)), CellOnView(c, r)))
            << "unmarked neighbour (" << c << ", " << r << ")";

    PenUp(CellCentre(0, 0));
    EXPECT_EQ(board().MarkedCount(), 0);
    EXPECT_EQ(board().Score(), 1) << "a group of 3 scores (3 - 2)^2";
    // Column 0 lost two pieces and column 1 one: their tops are empty and
    // show the layer's block at (c x cell, (rows - r) x cell).
    for (auto [c, r] : {std::pair{0, rows - 1}, {0, rows - 2}, {1, rows - 1}}) {
        ASSERT_EQ(board().Cell(c, r), 0);
        const int sourceX = c * 16, sourceY = (rows - r) * 16;
        EXPECT_TRUE(PixelsAre([&](int x, int y) { return where(sourceX + x, sourceY + y); }, CellOnView(c, r)))
            << "emptied cell (" << c << ", " << r << ")";
        EXPECT_TRUE(SamePixels(Pixels(board().backgroundDC.Get(), sourceX, sourceY, 16, 16), CellOnView(c, r)))
            << "emptied cell (" << c << ", " << r << ") against the layer";
    }
    // The pieces above fell: column 0 now starts with what was at row 2.
    EXPECT_TRUE(SamePixels(PieceBlock(strip, Checkerboard(0, 2)), CellOnView(0, 0)));
    EXPECT_TRUE(SamePixels(PieceBlock(strip, Checkerboard(1, 1)), CellOnView(1, 0)));
    EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 6), "000001"));
}

TEST_F(GameTest, EmptiedBottomCellShowsTheBackgroundWhereItsBlockReachesBelowTheView) {
    // 32-pixel cells in a view 249 high: 7 rows, and the layer block of a
    // bottom-row cell, at y = 7 x 32, reaches 7 pixels below the view.
    ASSERT_TRUE(Open(240, 268));  // a first layout leaves the built-in stripes in the layer
    auto where = [](int x, int y) { return RGB((x % 64) * 4, (y % 50) * 5, 0x80); };
    auto twoColours = [](int x, int y) { return x < 32 ? RGB(250, 60, 60) : RGB(60, 60, 250); };
    ScratchFolder folder;
    lstrcpynW(SkinInfo.backgroundPath, folder.WriteFile(L"where.bmp", MakeBmp(64, 50, where)).c_str(), kMaxPath);
    lstrcpynW(SkinInfo.piecePath, folder.WriteFile(L"big.bmp", MakeBmp(64, 64, twoColours)).c_str(), kMaxPath);
    SizeView(240, 249);
    ASSERT_EQ(LayoutNow(), Layout(240, 249, 32, 7, 7));
    SetPosition([](int column, int) { return column == 0 ? 1 : 2; });

    Tap(CellCentre(0, 3));  // column 0 goes, the others close up: column 6 empties
    ASSERT_EQ(board().CountPieces(), 6 * 7);
    for (int r = 0; r < 7; ++r)
        EXPECT_TRUE(PixelsAre([&](int x, int y) { return where(6 * 32 + x, (7 - r) * 32 + y); }, CellOnView(6, r)))
            << "emptied cell (6, " << r << ")";
}

TEST_F(GameTest, TapOutsideTheGridClearsTheMarkingAndRemovesNothing) {
    // 250 wide: 15 columns of 16 and an empty strip of 10 pixels on the right.
    ASSERT_TRUE(Open(250, 268));
    ASSERT_EQ(board().Columns(), 15);
    const Surface strip(IDB_PIECES);
    struct Case {
        const char* where;
        int x, y;
    };
    const Case cases[] = {
        /* 0 */ {"score band", 100, 5},
        /* 1 */ {"band above the top row", 8, 27},
        /* 2 */ {"right strip", 245, 200},
        /* 3 */ {"right strip, bottom row", 249, 267},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SetPosition(CornerGroup);
        board().SetScore(5);
        PenDown(CellCentre(0, 0));
        ASSERT_EQ(board().MarkedCount(), 3) << "case " << i;
        const LPARAM outside = MAKELPARAM(c.x, c.y);
        PenDown(outside);
        EXPECT_EQ(board().MarkedCount(), 0) << c.where;
        EXPECT_TRUE(SamePixels(PieceBlock(strip, 3), CellOnView(0, 0))) << c.where << ": drawn unmarked again";
        PenUp(outside);
        EXPECT_EQ(board().CountPieces(), 15 * 15) << c.where;
        EXPECT_EQ(board().Score(), 5) << c.where;
        EXPECT_EQ(board().Cell(0, 0), 3) << c.where;
        EXPECT_EQ(board().Cell(0, 1), 3) << c.where;
        EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 6), "000005")) << c.where;
    }
}

// ---- Score band and digits -----------------------------------------------------------------------

TEST_F(GameTest, ScoreBandDrawsEveryScoreIncludingTheMinusSign) {
    ASSERT_TRUE(Open(480, 536));
    ASSERT_GE(Surface(IDB_DIGITS).Width(), 11 * kDigitWidth) << "the strip lacks the minus glyph";
    struct Case {
        int score, best;
        std::string scoreText, bestText;
    };
    const Case cases[] = {
        /* 0 */ {12, 0, "000012", "000000"},
        /* 1 */ {-12, 7, "-00012", "000007"},      // over "000012": the minus replaces the 0
        /* 2 */ {-99999, 7, "-99999", "000007"},
        /* 3 */ {1234567, 999999, "1234567", "999999"},  // seven glyphs
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        board().SetScore(c.score);
        board().SetBest(c.best);
        {
            FClientDC dc(view());
            board().ScoreChanged(dc.Get());
        }
        const int glyphs = static_cast<int>(c.scoreText.size());
        EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, glyphs), c.scoreText)) << "case " << i;
        EXPECT_TRUE(ShowsDigits(BandOnView(kBestX, 6), c.bestText)) << "case " << i;
    }
    // A paint shows the same.
    Repaint();
    EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 7), "1234567"));
}

TEST(Digits, CharactersWithoutAGlyphKeepTheirCell) {
    AppInstance = GetModuleHandleW(nullptr);
    struct Case {
        UINT bitmap;
        const wchar_t* characters;
        const wchar_t* text;
        const char* drawn;  // the glyph expected in each cell; '.' for untouched
    };
    const Case cases[] = {
        /* 0 */ {IDB_DIGITS, kDigitCharacters, L"1x2", "1.2"},
        /* 1 */ {IDB_DIGITS, kDigitCharacters, L"-05", "-05"},
        /* 2 */ {IDB_DIGITS, L"0123456789", L"-05", ".05"},   // a list without the minus
        /* 3 */ {IDB_DIGITS, kDigitCharacters, L" 9 ", ".9."},
        /* 4 */ {9999, kDigitCharacters, L"123", "..."},      // no strip: nothing drawn
        /* 5 */ {IDB_DIGITS, kDigitCharacters, L"", "..."},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        Surface canvas(4 * kDigitWidth, kDigitHeight, kSentinel);
        DigitFont font(c.bitmap, kDigitWidth, kDigitHeight, c.characters);
        DrawDigits(font, canvas.Dc(), 0, 0, c.text);
        for (int cell = 0; cell < 4; ++cell) {
            const char glyph = cell < 3 ? c.drawn[cell] : '.';
            const Pixels shown(canvas.Dc(), cell * kDigitWidth, 0, kDigitWidth, kDigitHeight);
            if (glyph == '.')
                EXPECT_TRUE(PixelsAre([](int, int) { return kSentinel; }, shown)) << "case " << i << " cell " << cell;
            else
                EXPECT_TRUE(ShowsDigits(shown, std::string(1, glyph))) << "case " << i << " cell " << cell;
        }
    }
}

// ---- Game over ---------------------------------------------------------------------------------------

TEST_F(GameTest, GameOverShowsTheSettledScoreThenDealsAgain) {
    struct Case {
        int (*position)(int, int);
        int score, best;
        bool japanese;
        int answer;
        bool tapInBand;
        int settled, bestAfter;
    };
    // The board is 15 x 15: 225 pieces of the checkerboard, 1125 points for a cleared board.
    const Case cases[] = {
        /* 0 */ {Checkerboard, 300, 10, false, IDOK, false, 75, 75},
        /* 1 */ {Checkerboard, 300, 10, false, IDCANCEL, false, 75, 75},
        /* 2 */ {Checkerboard, 30, 10, true, IDOK, true, -195, 10},
        /* 3 */ {Cleared, 7, 2000, false, IDCANCEL, true, 1132, 2000},
        /* 4 */ {Cleared, 7, 0, true, IDOK, false, 1132, 1132},
    };
    ASSERT_TRUE(Open(240, 268));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        LangJapanese = c.japanese;
        SetPosition(c.position);
        board().SetScore(c.score);
        board().SetBest(c.best);
        GameOverWatcher watcher(game(), c.answer);
        Tap(c.tapInBand ? MAKELPARAM(120, 5) : CellCentre(3, 4));

        ASSERT_EQ(watcher.Dialogs().size(), 1u) << "case " << i;
        const GameOverWatcher::Seen& seen = watcher.Dialogs()[0];
        EXPECT_EQ(seen.caption, c.japanese ? L"ｹﾞｰﾑｵｰﾊﾞｰ" : L"Game Over") << "case " << i;
        EXPECT_EQ(seen.owner, hwnd()) << "case " << i;
        EXPECT_EQ(seen.dialogScore, c.settled) << "case " << i;
        EXPECT_EQ(seen.boardScore, c.settled) << "case " << i;
        EXPECT_EQ(seen.boardBest, c.best) << "case " << i << ": the best score changes only after the dialog";
        EXPECT_TRUE(ShowsDigits(seen.band, Formatted(c.settled))) << "case " << i << ": the band under the dialog";
        EXPECT_TRUE(ShowsDigits(seen.painted, Formatted(c.settled))) << "case " << i << ": the dialog's digits";

        EXPECT_EQ(board().Best(), c.bestAfter) << "case " << i;
        EXPECT_EQ(board().Score(), 0) << "case " << i;
        EXPECT_EQ(board().MarkedCount(), 0) << "case " << i;
        EXPECT_EQ(board().CountPieces(), 15 * 15) << "case " << i << ": a new deal";
        EXPECT_FALSE(board().IsGameOver()) << "case " << i;
        RECT pending;
        EXPECT_TRUE(GetUpdateRect(view(), &pending, FALSE)) << "case " << i << ": the new deal is to be painted";
        UpdateWindow(view());
        EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 6), "000000")) << "case " << i;
        EXPECT_TRUE(ShowsDigits(BandOnView(kBestX, 6), Formatted(c.bestAfter))) << "case " << i;
    }
}

TEST_F(GameTest, GameOverComesAtTheTapAfterTheLastMove) {
    ASSERT_TRUE(Open(240, 268));
    SetPosition(LastPair);
    board().SetScore(3);
    GameOverWatcher watcher(game(), IDOK);
    Tap(CellCentre(0, 0));
    EXPECT_TRUE(watcher.Dialogs().empty()) << "the last pair's removal itself ends nothing";
    EXPECT_EQ(board().CountPieces(), 0);
    EXPECT_EQ(board().Score(), 3) << "a pair scores 0";
    Tap(CellCentre(7, 7));
    ASSERT_EQ(watcher.Dialogs().size(), 1u);
    EXPECT_EQ(watcher.Dialogs()[0].boardScore, 3 + 15 * 15 * 5);
    EXPECT_EQ(board().Best(), 3 + 15 * 15 * 5);
    EXPECT_EQ(board().CountPieces(), 15 * 15);
}

// A game-over dialog that posts `commands` when it starts and gives up after 10 s.
class ScriptedGameOver : public DlgGameOver {
public:
    static constexpr UINT_PTR kSafetyTimer = 77;
    static constexpr INT_PTR kTimedOut = -2;
    struct Command {
        WPARAM wParam;
        bool fromOkButton;  // lParam is the OK button, as a control notification
    };

    using DlgGameOver::DlgGameOver;
    std::vector<Command> commands;
    RECT placed{};

    INT_PTR DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == kSafetyTimer) {
            EndDialog(hwnd, kTimedOut);
            return TRUE;
        }
        return DlgGameOver::DialogProc(hwnd, message, wParam, lParam);
    }
    INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        const INT_PTR result = DlgGameOver::OnInitDialog(hwnd, message, wParam, lParam);
        for (const Command& command : commands)
            PostMessageW(hwnd, WM_COMMAND, command.wParam,
                         command.fromOkButton ? reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDOK)) : 0);
        SetTimer(hwnd, kSafetyTimer, 10000, nullptr);
        GetWindowRect(hwnd, &placed);
        return result;
    }
};

TEST_F(GameTest, GameOverDialogEndsWithOneOnOkAndTwoOnCancelOnly) {
    using Command = ScriptedGameOver::Command;
    struct Case {
        std::vector<Command> commands;
        INT_PTR result;
    };
    const Case cases[] = {
        /* 0 */ {{{IDOK, false}}, 1},
        /* 1 */ {{{IDCANCEL, false}}, 2},
        /* 2 */ {{{IDOK, true}}, 1},                                  // the button's click
        /* 3 */ {{{IDYES, false}, {IDOK, false}}, 1},                 // other ids are ignored
        /* 4 */ {{{20, false}, {IDCANCEL, false}}, 2},
        /* 5 */ {{{MAKEWPARAM(IDOK, BN_SETFOCUS), true}, {IDCANCEL, false}}, 2},  // not a click
        /* 6 */ {{{MAKEWPARAM(IDCANCEL, 1), false}}, 2},              // an accelerator's form
    };
    ASSERT_TRUE(Open(240, 268));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        ScriptedGameOver dialog(42);
        dialog.commands = cases[i].commands;
        EXPECT_EQ(DoModal(dialog, hwnd(), L"DlgGameOver_E"), cases[i].result) << "case " << i;
        EXPECT_LT(dialog.placed.right - dialog.placed.left, 240) << "case " << i << ": keeps its template size";
    }
}

// ---- Commands ---------------------------------------------------------------------------------------

TEST_F(GameTest, NewDealsAndKeepsTheBestScore) {
    struct Case {
        WPARAM wParam;
    };
    const Case cases[] = {
        /* 0 */ {MAKEWPARAM(IDM_FILE_NEW, 0)},  // menu
        /* 1 */ {MAKEWPARAM(IDM_FILE_NEW, 1)},  // accelerator
    };
    ASSERT_TRUE(Open(240, 268));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        SetPosition(CornerGroup);
        board().SetBest(42);
        board().SetScore(9);
        WalkCursorTo(3, 2);
        PenDown(CellCentre(0, 0));
        ASSERT_EQ(board().MarkedCount(), 3) << "case " << i;
        EXPECT_EQ(SendMessageW(hwnd(), WM_COMMAND, cases[i].wParam, 0), 0) << "case " << i;
        EXPECT_EQ(board().cursor, CursorCell{}) << "case " << i << ": the cursor is back at the start";
        EXPECT_EQ(board().Best(), 42) << "case " << i;
        EXPECT_EQ(board().Score(), 0) << "case " << i;
        EXPECT_EQ(board().MarkedCount(), 0) << "case " << i;
        EXPECT_EQ(board().SelectedColumn(), -1) << "case " << i;
        EXPECT_EQ(board().Columns(), 15) << "case " << i;
        EXPECT_EQ(board().CountPieces(), 15 * 15) << "case " << i;
        int same = 0;
        for (int c = 0; c < 15; ++c)
            for (int r = 0; r < 15; ++r) same += board().Cell(c, r) == CornerGroup(c, r);
        EXPECT_LT(same, 15 * 15) << "case " << i << ": the position was not dealt again";
        RECT pending;
        EXPECT_TRUE(GetUpdateRect(view(), &pending, FALSE)) << "case " << i << ": the new deal is to be painted";
        UpdateWindow(view());
        EXPECT_TRUE(ShowsDigits(BandOnView(kBestX, 6), "000042")) << "case " << i;
        EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 6), "000000")) << "case " << i;
    }
}

TEST_F(GameTest, ExitClosesTheWindowAndEndsTheLoopWithZero) {
    ASSERT_TRUE(Open(240, 268));
    HWND frame = hwnd();
    EXPECT_EQ(SendMessageW(frame, WM_COMMAND, IDM_FILE_EXIT, 0), 0);
    EXPECT_TRUE(IsWindow(frame)) << "the close is posted, not sent";
    MSG msg{};
    bool quit = false;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 5000) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            DispatchMessageW(&msg);
        }
        if (!quit) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    EXPECT_TRUE(quit) << "no quit message";
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_FALSE(IsWindow(frame));
}

TEST_F(GameTest, HelpKeyAsksForAboutOnlyWhileTheWindowIsActive) {
    auto counting = std::make_unique<CountingWindow>();
    CountingWindow& window = *counting;
    ASSERT_TRUE(Open(240, 268, std::move(counting)));
    HELPINFO help{sizeof(help), HELPINFO_WINDOW, 0, nullptr, 0, {0, 0}};
    const WPARAM about = IDM_HELP_ABOUT;

    SetForegroundWindow(hwnd());
    SetActiveWindow(hwnd());
    ASSERT_EQ(GetActiveWindow(), hwnd());
    {
        // The About sheet that opens is closed again with Cancel.
        BoxWatcher watcher(IDCANCEL);
        EXPECT_EQ(SendMessageW(hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 0);
        EXPECT_EQ(window.Count(about), 0) << "the command is posted, not sent";
        ServeUntil("the posted About command", [&] { return window.Count(about) == 1; });
        EXPECT_EQ(watcher.Seen().size(), 1u) << "About did not open";
    }

    FWnd other;
    other.hwnd = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    other.owned = TRUE;
    SetForegroundWindow(other.hwnd);
    SetActiveWindow(other.hwnd);
    ASSERT_EQ(GetActiveWindow(), other.hwnd);
    // An About that opened all the same is closed, so that the test fails
    // rather than waits.
    BoxWatcher watcher(IDCANCEL);
    EXPECT_EQ(SendMessageW(hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 0);
    ServePosted();
    EXPECT_EQ(window.Count(about), 1) << "an inactive window opened About";
}

TEST_F(GameTest, KeysF1AndCtrlQReachAboutAndExit) {
    auto counting = std::make_unique<CountingWindow>();
    CountingWindow& window = *counting;
    ASSERT_TRUE(Open(240, 268, std::move(counting)));
    HACCEL keys = LoadAcceleratorsW(AppInstance, MAKEINTRESOURCEW(IDR_ACCELERATOR_MAIN));
    ASSERT_NE(keys, nullptr);
    auto press = [&](UINT key) {
        MSG msg{hwnd(), WM_KEYDOWN, key, static_cast<LPARAM>(1 | MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16), 0, {}};
        return TranslateAcceleratorW(hwnd(), keys, &msg) != 0;
    };
    BYTE saved[256];
    GetKeyboardState(saved);
    BYTE state[256];
    std::copy(std::begin(saved), std::end(saved), state);
    state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_SHIFT] = state[VK_MENU] = 0;
    SetKeyboardState(state);

    {
        BoxWatcher watcher(IDCANCEL);
        EXPECT_TRUE(press(VK_F1));
        EXPECT_EQ(window.Count(MAKEWPARAM(IDM_HELP_ABOUT, 1)), 1);
        EXPECT_EQ(watcher.Seen().size(), 1u) << "F1 did not open About";
    }
    EXPECT_FALSE(press('Q')) << "Q alone is no command";

    state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    SetKeyboardState(state);
    EXPECT_TRUE(press('Q'));
    SetKeyboardState(saved);
    EXPECT_EQ(window.Count(MAKEWPARAM(IDM_FILE_EXIT, 1)), 1);
    MSG close;
    EXPECT_TRUE(PeekMessageW(&close, hwnd(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) << "Ctrl+Q did not post the close";
    DestroyAcceleratorTable(keys);
}

// ---- Playing by keys -------------------------------------------------------------------------------

// Two groups on the checkerboard: A, colour 3 at (0,0), (1,0), (0,1); B, a
// column of four of colour 4 at (7,0)..(7,3).
int TwoGroups(int column, int row) {
    if (column == 7 && row <= 3) return 4;
    return CornerGroup(column, row);
}
// One pair of colour 3 on top of the last column.
int TopPair(int column, int row) { return column == 14 && row >= 13 ? 3 : Checkerboard(column, row); }
// The last column all of colour 3.
int RightColumn(int column, int row) { return column == 14 ? 3 : Checkerboard(column, row); }

TEST_F(GameTest, CursorShowsAtTheFirstArrowThenMovesOneCellPerPressUpToTheEdges) {
    struct Case {
        std::vector<std::pair<UINT, int>> presses;  // key, times (the first time a press, then repeats)
        int column, row;
    };
    const Case cases[] = {
        /* 0 */ {{{VK_RIGHT, 1}}, 0, 0},                 // only shows it, on the bottom-left piece
        /* 1 */ {{{VK_UP, 1}, {VK_RIGHT, 2}}, 2, 0},
        /* 2 */ {{{VK_RIGHT, 2}, {VK_LEFT, 3}}, 0, 0},   // left edge
        /* 3 */ {{{VK_DOWN, 4}}, 0, 0},                  // bottom edge
        /* 4 */ {{{VK_UP, 30}}, 0, 14},                  // held: top edge, no further
        /* 5 */ {{{VK_RIGHT, 30}}, 14, 0},               // held: right edge
        /* 6 */ {{{VK_UP, 20}, {VK_RIGHT, 20}, {VK_DOWN, 2}}, 14, 12},
    };
    ASSERT_TRUE(Open(240, 268));
    const Surface strip(IDB_PIECES);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        HideCursorAtStart();
        ASSERT_FALSE(board().cursorShown) << "case " << i << ": a tap hides the cursor";
        CursorCell last;
        for (const auto& [key, times] : c.presses)
            for (int n = 0; n < times; ++n) {
                last = board().cursor;
                KeyDown(key, n > 0);
            }
        EXPECT_TRUE(board().cursorShown) << "case " << i;
        EXPECT_EQ(board().cursor.column, c.column) << "case " << i;
        EXPECT_EQ(board().cursor.row, c.row) << "case " << i;
        EXPECT_TRUE(ShowsCursorOver(PieceBlock(strip, board().Cell(c.column, c.row)), CellOnView(c.column, c.row)))
            << "case " << i << ": the frame at (" << c.column << ", " << c.row << ")";
        if (!(last == board().cursor)) {
            EXPECT_TRUE(SamePixels(PieceBlock(strip, board().Cell(last.column, last.row)),
                                   CellOnView(last.column, last.row)))
                << "case " << i << ": the cell left at (" << last.column << ", " << last.row << ") keeps a frame";
        }
        EXPECT_EQ(board().CountPieces(), 15 * 15) << "case " << i << ": arrows change no piece";
    }
}

TEST_F(GameTest, KeysPlayTheSameGameAsTapsOnTheSameCells) {
    std::uint32_t seed = std::random_device{}();
    if (const char* fixed = std::getenv("PEBBLORA_SEED")) seed = static_cast<std::uint32_t>(std::strtoul(fixed, nullptr, 0));
    std::cout << "PEBBLORA_SEED=" << seed << "\n";
    SCOPED_TRACE("PEBBLORA_SEED=" + std::to_string(seed));
    ASSERT_TRUE(Open(240, 268));

    // Random cells, lone pieces and emptied cells among them, until the game
    // is over or 40 moves are made.
    std::mt19937 random(seed);
    std::vector<std::pair<int, int>> cells;
    std::vector<std::string> byTaps;
    board().Seed(seed);
    SendMessageW(hwnd(), WM_COMMAND, IDM_FILE_NEW, 0);
    while (cells.size() < 40 && !board().IsGameOver()) {
        const int column = static_cast<int>(random() % 15), row = static_cast<int>(random() % 15);
        cells.emplace_back(column, row);
        PenDown(CellCentre(column, row));
        byTaps.push_back(BoardNow());
        PenUp(CellCentre(column, row));
        byTaps.push_back(BoardNow());
    }

    board().Seed(seed);
    SendMessageW(hwnd(), WM_COMMAND, IDM_FILE_NEW, 0);
    for (std::size_t move = 0; move < cells.size(); ++move) {
        const auto [column, row] = cells[move];
        WalkCursorTo(column, row);
        KeyDown(VK_RETURN);
        ASSERT_EQ(BoardNow(), byTaps[2 * move]) << "move " << move << " at (" << column << ", " << row << "), key down";
        KeyUp(VK_RETURN);
        ASSERT_EQ(BoardNow(), byTaps[2 * move + 1]) << "move " << move << " at (" << column << ", " << row << "), key up";
    }
}

TEST_F(GameTest, CursorAfterAClearStaysOnItsCellOrLandsOnTheNearestPiece) {
    struct Case {
        int (*position)(int, int);
        int column, row;         // where the action key is pressed
        int landColumn, landRow;
    };
    const Case cases[] = {
        /* 0 */ {CornerGroup, 0, 0, 0, 0},   // the pieces above fall into its cell
        /* 1 */ {TopPair, 14, 14, 13, 14},   // its cell emptied: the piece beside it
        /* 2 */ {RightColumn, 14, 7, 13, 7}, // its column emptied
        /* 3 */ {LastPair, 1, 0, 0, 0},      // nothing left: back at the start
    };
    ASSERT_TRUE(Open(240, 268));
    const Surface strip(IDB_PIECES);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        HideCursorAtStart();
        SetPosition(c.position);
        WalkCursorTo(c.column, c.row);
        Action();
        ASSERT_LT(board().CountPieces(), 15 * 15) << "case " << i << ": no group was cleared";
        EXPECT_EQ(board().cursor.column, c.landColumn) << "case " << i;
        EXPECT_EQ(board().cursor.row, c.landRow) << "case " << i;
        const auto shownAt = [&](int column, int row) {
            const int value = board().Cell(column, row);
            return value ? PieceBlock(strip, value)
                         : Pixels(board().backgroundDC.Get(), column * kBuiltInCell, (15 - row) * kBuiltInCell,
                                  kBuiltInCell, kBuiltInCell);
        };
        EXPECT_TRUE(ShowsCursorOver(shownAt(c.landColumn, c.landRow), CellOnView(c.landColumn, c.landRow)))
            << "case " << i << ": the frame where it landed";
        if (!(c.column == c.landColumn && c.row == c.landRow)) {
            EXPECT_TRUE(SamePixels(shownAt(c.column, c.row), CellOnView(c.column, c.row)))
                << "case " << i << ": the emptied cell keeps a frame";
        }
    }
}

TEST_F(GameTest, PenAndActionKeyPressesOverlappingClearOnlyTheFirstPressedGroup) {
    struct Case {
        const char* events;  // p/P pen down/up on group B, k/K action key down/up on group A
        int pieces, score;
    };
    const Case cases[] = {
        /* 0 */ {"pkPK", 15 * 15 - 4, 4},
        /* 1 */ {"pkKP", 15 * 15 - 4, 4},
        /* 2 */ {"kpPK", 15 * 15 - 3, 1},
        /* 3 */ {"kpKP", 15 * 15 - 3, 1},
    };
    ASSERT_TRUE(Open(240, 268));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        HideCursorAtStart();
        SetPosition(TwoGroups);
        WalkCursorTo(0, 0);
        for (const char* e = c.events; *e; ++e) {
            switch (*e) {
            case 'p': PenDown(CellCentre(7, 1)); break;
            case 'P': PenUp(CellCentre(7, 1)); break;
            case 'k': KeyDown(VK_RETURN); break;
            case 'K': KeyUp(VK_RETURN); break;
            }
        }
        EXPECT_EQ(board().MarkedCount(), 0) << c.events << ": a group is left marked";
        EXPECT_EQ(board().CountPieces(), c.pieces) << c.events;
        EXPECT_EQ(board().Score(), c.score) << c.events;
    }
}

// A main window that notes, for each key that reaches it, whether it was
// enabled (no modal dialog over it) at that moment.
class KeyNotingWindow : public GameWindow {
public:
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN) keysWhileDisabled += !IsWindowEnabled(hwnd);
        return GameWindow::WindowProc(hwnd, message, wParam, lParam);
    }
    int keysWhileDisabled = 0;
};

// Runs `act` once the next dialog (or sheet) of this thread has been set up,
// with the dialog's top window; one still open five seconds later is ended,
// so that a test fails instead of waiting.
class AtNextDialog {
public:
    explicit AtNextDialog(std::function<void(HWND)> act) : act_(std::move(act)) {
        active_ = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, HookProc, nullptr, GetCurrentThreadId());
    }
    ~AtNextDialog() {
        if (hook_) UnhookWindowsHookEx(hook_);
        if (timer_) KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    AtNextDialog(const AtNextDialog&) = delete;
    AtNextDialog& operator=(const AtNextDialog&) = delete;

    bool Opened() const { return dialog_ != nullptr; }
    bool TimedOut() const { return timedOut_; }
    bool OkCommand() const { return okCommand_; }  // the dialog received IDOK

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        AtNextDialog* self = active_;
        if (code == HC_ACTION && self) {
            if (call->message == WM_INITDIALOG && !self->dialog_) {
                // A sheet's pages are set up inside the sheet's own set-up.
                self->dialog_ = GetAncestor(call->hwnd, GA_ROOT);
                self->act_(self->dialog_);
                self->timer_ = SetTimer(nullptr, 0, 5000, TimerProc);
            } else if (call->message == WM_COMMAND && call->hwnd == self->dialog_ && LOWORD(call->wParam) == IDOK) {
                self->okCommand_ = true;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        AtNextDialog* self = active_;
        if (!self) return;
        self->timer_ = 0;
        if (IsWindow(self->dialog_)) {
            self->timedOut_ = true;
            EndDialog(self->dialog_, IDCANCEL);
        }
    }
    static inline AtNextDialog* active_ = nullptr;
    std::function<void(HWND)> act_;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    HWND dialog_ = nullptr;
    bool timedOut_ = false;
    bool okCommand_ = false;
};

TEST_F(GameTest, KeysWhileAQuestionTheChooserOrAboutIsOpenDoNothingToTheBoard) {
    struct Case {
        const char* dialog;
        std::function<void(GameWindow&)> open;
        int answer;
    };
    const Case cases[] = {
        /* 0 */ {"About", [](GameWindow& w) { SendMessageW(w.hwnd, WM_COMMAND, IDM_HELP_ABOUT, 0); }, IDCANCEL},
        /* 1 */ {"the chooser", [](GameWindow& w) { SendMessageW(w.hwnd, WM_COMMAND, IDM_FILE_OPEN, 0); }, IDCANCEL},
        /* 2 */ {"a question", [](GameWindow& w) { w.LoadSkin(L"C:\\no such folder\\none.ini"); }, IDOK},
    };
    auto noting = std::make_unique<KeyNotingWindow>();
    KeyNotingWindow& window = *noting;
    ASSERT_TRUE(Open(240, 268, std::move(noting)));
    for (const Case& c : cases) {
        HideCursorAtStart();
        SetPosition(CornerGroup);
        WalkCursorTo(0, 0);
        const std::string before = BoardNow();
        window.keysWhileDisabled = 0;
        {
            // The keys are queued ahead of the answer, so they arrive while
            // the dialog's own loop runs.
            AtNextDialog keys([&](HWND dialog) {
                PostMessageW(hwnd(), WM_KEYDOWN, VK_RIGHT, 1);
                PostMessageW(hwnd(), WM_KEYDOWN, VK_RETURN, 1);
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(c.answer, BN_CLICKED), 0);
            });
            c.open(window);
            EXPECT_TRUE(keys.Opened()) << c.dialog << " did not open";
            EXPECT_FALSE(keys.TimedOut()) << c.dialog << " did not close with " << c.answer;
        }
        // The release of the Enter that closed it comes to the board.
        KeyUp(VK_RETURN);
        EXPECT_EQ(window.keysWhileDisabled, 2) << c.dialog << ": the keys did not arrive while it was open";
        EXPECT_EQ(BoardNow(), before) << c.dialog;
        EXPECT_EQ(board().cursor.column, 0) << c.dialog << ": the arrow moved the cursor";
    }
}

TEST_F(GameTest, AGameEndsByKeysAndItsDialogClosesWithEnter) {
    ASSERT_TRUE(Open(240, 268));
    HideCursorAtStart();
    SetPosition(LastPair);
    board().SetScore(3);
    WalkCursorTo(1, 0);
    Action();
    ASSERT_EQ(board().CountPieces(), 0) << "the last pair was not cleared";
    AtNextDialog enter([](HWND dialog) { PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 1); });
    Action();
    EXPECT_TRUE(enter.Opened()) << "no game-over dialog";
    EXPECT_FALSE(enter.TimedOut()) << "Enter did not close the game-over dialog";
    EXPECT_TRUE(enter.OkCommand());
    EXPECT_EQ(board().Best(), 3 + 15 * 15 * 5);
    EXPECT_EQ(board().CountPieces(), 15 * 15) << "a new deal";
    EXPECT_EQ(board().cursor.column, 0) << "the new deal puts the cursor back at the start";
    EXPECT_EQ(board().cursor.row, 0);
    // The release of the Enter that closed the dialog, then its auto-repeat,
    // with a group under the cursor.
    SetPosition(CornerGroup);
    KeyUp(VK_RETURN);
    KeyDown(VK_RETURN, true);
    EXPECT_EQ(board().MarkedCount(), 0) << "the Enter that closed the dialog marked a group";
}

// A main window that answers each menu it opens with `keys`, as a player
// would; a menu still open five seconds later is ended, so that the test
// fails instead of waiting.
class MenuAnsweringWindow : public CountingWindow {
public:
    ~MenuAnsweringWindow() override {
        if (timer) KillTimer(nullptr, timer);
    }
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITMENUPOPUP) {
            ++menusOpened;
            for (UINT key : keys) PostMessageW(hwnd, WM_KEYDOWN, key, 1);
            if (!timer) timer = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
        }
        return CountingWindow::WindowProc(hwnd, message, wParam, lParam);
    }
    std::vector<UINT> keys;
    int menusOpened = 0;
    UINT_PTR timer = 0;
};

TEST_F(GameTest, F10OrAltOpensTheFileMenuWhereTheKeysChooseNewOrTheChooser) {
    struct Case {
        const char* how;
        std::vector<std::pair<UINT, UINT>> press;  // message, key
        std::vector<UINT> inMenu;
        WPARAM command;                             // 0: none
    };
    const Case cases[] = {
        /* 0 */ {"F10, Enter", {{WM_SYSKEYDOWN, VK_F10}, {WM_SYSKEYUP, VK_F10}}, {VK_RETURN}, IDM_FILE_NEW},
        /* 1 */ {"Alt, Down, Enter", {{WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYUP, VK_MENU}}, {VK_DOWN, VK_RETURN},
                 IDM_FILE_OPEN},
        /* 2 */ {"F10, Escape", {{WM_SYSKEYDOWN, VK_F10}, {WM_SYSKEYUP, VK_F10}}, {VK_ESCAPE}, 0},
    };
    auto answering = std::make_unique<MenuAnsweringWindow>();
    MenuAnsweringWindow& window = *answering;
    ASSERT_TRUE(Open(240, 268, std::move(answering)));
    for (const Case& c : cases) {
        window.commands.clear();
        window.menusOpened = 0;
        window.keys = c.inMenu;
        BoxWatcher chooser(IDCANCEL);
        for (const auto& [message, key] : c.press)
            SendMessageW(hwnd(), message, key, static_cast<LPARAM>(message == WM_SYSKEYUP ? 0xE0000001u : 0x20000001));
        EXPECT_EQ(window.menusOpened, 1) << c.how;
        std::vector<WPARAM> expected;
        if (c.command) expected.push_back(c.command);
        EXPECT_EQ(window.commands, expected) << c.how;
        EXPECT_EQ(chooser.Seen().size(), c.command == IDM_FILE_OPEN ? 1u : 0u) << c.how << ": the chooser";
    }
}

}  // namespace
