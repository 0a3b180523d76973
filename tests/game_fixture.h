// What the game window tests share: reading pixels back from the view, the
// board's positions, a watcher for the game-over dialog, and the fixture
// that makes a main window with a known board. Included by game_test.cpp
// and game_keys_test.cpp, each of which gets its own copy.
#pragma once

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
inline void PrintTo(const CursorCell& cell, std::ostream* out) { *out << "(" << cell.column << ", " << cell.row << ")"; }

namespace gamefixture {

constexpr COLORREF kSentinel = RGB(0x66, 0x06, 0x66);
constexpr int kBuiltInCell = 16;  // side of the built-in pieces
constexpr int kBandY = 2;
constexpr int kBestX = 2;
constexpr int kScoreX = 160;

inline std::string Hex(COLORREF c) {
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
inline testing::AssertionResult BlockIs(const Pixels& actual, int x0, int y0, int width, int height,
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

inline testing::AssertionResult PixelsAre(const std::function<COLORREF(int, int)>& colour, const Pixels& actual) {
    return BlockIs(actual, 0, 0, actual.Width(), actual.Height(), colour);
}

inline testing::AssertionResult SamePixels(const Pixels& expected, const Pixels& actual) {
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
inline testing::AssertionResult ShowsDigits(const Pixels& pixels, const std::string& text) {
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

inline std::string Formatted(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%06d", value);
    return text;
}

// A 24-bit bottom-up BMP file whose pixel (x, y), top row first, is colour(x, y).
inline std::string MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& colour) {
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
inline int Checkerboard(int column, int row) { return (column + row) % 2 + 1; }
inline int Cleared(int, int) { return 0; }
// The checkerboard with one group of colour 3 in the bottom-left corner:
// (0,0), (1,0) and (0,1).
inline int CornerGroup(int column, int row) {
    if ((column == 0 && row <= 1) || (column == 1 && row == 0)) return 3;
    return Checkerboard(column, row);
}
// Only one pair left, at the bottom left.
inline int LastPair(int column, int row) { return row == 0 && column <= 1 ? 1 : 0; }

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
inline Pixels PieceBlock(const Surface& strip, int value) {
    const int colour = value < 0 ? -value : value;
    return strip.Block((colour - 1) * kBuiltInCell, value < 0 ? kBuiltInCell : 0, kBuiltInCell, kBuiltInCell);
}

// A 16-pixel cell under the cursor: a black outer ring, a white one inside
// it, and `under` (the piece or background) in the middle.
inline testing::AssertionResult ShowsCursorOver(const Pixels& under, const Pixels& actual) {
    return PixelsAre(
        [&](int x, int y) {
            const int edge = std::min(std::min(x, y), std::min(kBuiltInCell - 1 - x, kBuiltInCell - 1 - y));
            return edge == 0 ? RGB(0, 0, 0) : edge == 1 ? RGB(255, 255, 255) : under.At(x, y);
        },
        actual);
}

}  // namespace gamefixture
