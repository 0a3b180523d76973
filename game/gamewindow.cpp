// The main window, its commands and the game flow.
#include "game/gamewindow.h"

#include <mmsystem.h>

#include <algorithm>

#include "filedialog/filedialog.h"
#include "framework/about.h"
#include "framework/appvalues.h"
#include "framework/errorbox.h"
#include "framework/language.h"
#include "resources/resource.h"
#include "game/skinfile.h"
#include "platform/device.h"
#include "skin/imageload.h"

namespace {

// The height above the top row kept for the score band, at least.
constexpr int kScoreBandHeight = 20;

// The command id of a WM_COMMAND: menus and accelerators carry it in the
// low word; controls send the whole wParam.
UINT CommandId(WPARAM wParam, LPARAM lParam) {
    return lParam == 0 ? LOWORD(wParam) : static_cast<UINT>(wParam);
}

// A bitmap resource of the program as a DIB section, or null.
HBITMAP LoadBuiltInBitmap(UINT id) {
    return static_cast<HBITMAP>(LoadImageW(AppInstance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The skin's image at `path`, or the built-in bitmap `fallback` when there
// is none or it cannot be read.
HBITMAP LoadSkinImage(const wchar_t* path, UINT fallback, int screenWidth, int screenHeight, int depth) {
    HBITMAP image = path[0] ? LoadImageFile(path, screenWidth, screenHeight, depth) : nullptr;
    return image ? image : LoadBuiltInBitmap(fallback);
}

// A piece strip is usable when its cells are at least 1 pixel and it holds
// at least two colours.
bool IsUsablePieceStrip(HBITMAP strip) {
    int width = 0, height = 0;
    if (!strip || !GetBitmapSize(strip, width, height)) return false;
    const int side = height / 2;
    return side >= 1 && width / side >= 2;
}

}  // namespace

// ---- Creation and commands ----------------------------------------------------------

// The remembered skin is read before the window exists, so that creation
// can load it.
GameWindow::GameWindow() { LoadSkinSetting(); }

// Written after the message loop ended, also when creation failed.
GameWindow::~GameWindow() { SaveSkinSetting(); }

LRESULT GameWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(hwnd, message, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy(hwnd, message, wParam, lParam);
    case WM_SIZE:
        LayoutBoard();
        return 0;
    case WM_HELP:
        if (GetActiveWindow() == hwnd) PostMessageW(hwnd, WM_COMMAND, IDM_HELP_ABOUT, 0);
        return 0;
    case WM_COMMAND:
        return OnCommand(hwnd, message, wParam, lParam);
    case WM_KEYDOWN:
        if (OnKeyDown(wParam, lParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_KEYUP:
        if (OnKeyUp(wParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_KILLFOCUS:
        OnKeysLost();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SYSKEYDOWN:
        if (wParam != VK_F10) return DefWindowProcW(hwnd, message, wParam, lParam);
        OpenMenuByKeys();
        return 0;
    case WM_SYSCOMMAND:
        // Alt alone or Alt with a letter: the system's menu mode finds no
        // menu of its own here.
        if ((wParam & 0xFFF0) != SC_KEYMENU) return DefWindowProcW(hwnd, message, wParam, lParam);
        OpenMenuByKeys();
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT GameWindow::OnCreate(HWND hwnd, UINT, WPARAM, LPARAM) {
    // Without the extra controls or the menu bar the board still plays; the
    // keyboard commands stay.
    (void)InitControls(0);
    (void)CreateMenuBar(*this, LangJapanese ? IDM_MAIN_J : IDM_MAIN_E);
    CreateView();
    // A start without a remembered skin lets the player choose one at once.
    if (CurrentSkinPath[0])
        LoadSkin(CurrentSkinPath);
    else
        SendMessageW(hwnd, WM_COMMAND, IDM_FILE_OPEN, 0);
    return 0;
}

LRESULT GameWindow::OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (CommandId(wParam, lParam)) {
    case IDM_FILE_NEW:
        board.Deal();
        board.ResetCursor();
        InvalidateRect(board.view.hwnd, nullptr, TRUE);
        return 0;
    case IDM_FILE_OPEN:
        OpenSkin();
        return 0;
    case IDM_FILE_EXIT:
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case IDM_HELP_ABOUT:
        ShowAbout();
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void GameWindow::LoadSkin(const wchar_t* path) {
    wchar_t base[kMaxPath];
    SkinBaseName(path, base);
    if (ReadSkinFile(path)) {
        SetCurrentSkinPath(path);
        wchar_t title[kSkinTitleUnits];
        FormatSkinTitle(base, title);
        SetWindowTextW(hwnd, title);
        // The layout picks up the new images and colour count and deals.
        SendMessageW(hwnd, WM_SIZE, 0, 0);
        return;
    }
    // A bad skin is not remembered; the view keeps its images until the
    // next layout.
    CurrentSkinPath[0] = L'\0';
    ShowError(hwnd, SkinErrorFormat(), base);
    SetWindowTextW(hwnd, kSkinTitleBare);
}

void GameWindow::OpenSkin() {
    const wchar_t* filter = ByLanguage(L"INI Files(*.ini)\0*.ini\0All Files\0*.*\0",
                                       L"定義ﾌｧｲﾙ(*.ini)\0*.ini\0すべてのﾌｧｲﾙ\0*.*\0");
    wchar_t chosen[kMaxPath] = L"";
    // The folder of the skin in use, or the program's own folder.
    wchar_t folder[kMaxPath] = L"";
    if (CurrentSkinPath[0])
        lstrcpynW(folder, CurrentSkinPath, kMaxPath);
    else if (!ce::GetModuleFileNameW(nullptr, folder, kMaxPath))
        folder[0] = L'\0';
    RemoveFileName(folder);

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = hwnd;
    request.lpstrFilter = filter;
    request.lpstrFile = chosen;
    request.nMaxFile = kMaxPath;
    request.lpstrInitialDir = folder;
    request.lpstrDefExt = L"ini";
    request.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!FGetOpenFileName(request)) return;
    // The area under the closed dialog is drawn before the load takes its time.
    UpdateWindow(hwnd);
    LoadSkin(chosen);
}

void GameWindow::ShowAbout() { ShowAboutBox(hwnd); }

bool GameWindow::CreateView() {
    if (!CreateBlessArea(board.view, hwnd, nullptr, IDC_GAME_VIEW, WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, 0,
                         static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))))
        return false;
    Subclass(board.view, this, ViewProc);
    FClientDC dc(board.view.hwnd);
    board.pieceDC = FMemoryDC(dc.Get());
    board.backgroundDC = FMemoryDC(dc.Get());
    return board.pieceDC && board.backgroundDC &&
           EnsureBackgroundLayer(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

bool GameWindow::EnsureBackgroundLayer(int width, int height) {
    int layerWidth = 0, layerHeight = 0;
    if (board.backgroundLayer && GetBitmapSize(board.backgroundLayer.Get(), layerWidth, layerHeight) &&
        layerWidth >= width && layerHeight >= height)
        return true;
    // The layer was made at the screen size of its day; a view that has
    // outgrown it (a turned screen) gets a new one.
    FClientDC dc(board.view.hwnd);
    HBITMAP layer = CreateCompatibleBitmap(dc.Get(), std::max(width, layerWidth), std::max(height, layerHeight));
    if (!layer) return false;
    board.backgroundDC.DeselectBitmap();
    board.backgroundLayer.Reset(layer);
    board.backgroundDC.SelectBitmap(layer);
    return true;
}

// ---- Layout -------------------------------------------------------------------------------

void GameWindow::LayoutBoard() {
    // Size notifications can come before the view exists (while the frame
    // is being created); those have nothing to lay out.
    if (!board.view.hwnd || !board.pieceDC || !board.backgroundDC || !board.backgroundLayer) return;
    BeginWaitCursor();

    RECT area;
    if (GetClientArea(*this, area, false, true))
        MoveWindow(board.view.hwnd, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    RECT client;
    GetClientRect(board.view.hwnd, &client);
    board.left = client.left;
    board.bottom = client.bottom;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int depth = 24;
    {
        FClientDC screen(nullptr);
        if (screen) depth = GetDeviceCaps(screen.Get(), BITSPIXEL);
    }

    board.pieceDC.DeselectBitmap();
    board.pieceBitmap.Reset(LoadSkinImage(SkinInfo.piecePath, IDB_PIECES, screenWidth, screenHeight, depth));
    if (!IsUsablePieceStrip(board.pieceBitmap.Get())) {
        // Cells under one pixel, or a strip of one colour: the built-in
        // pieces stand in, as for a strip that cannot be read.
        board.pieceBitmap.Reset(LoadBuiltInBitmap(IDB_PIECES));
    }
    board.pieceDC.SelectBitmap(board.pieceBitmap.Get());
    board.scoreDigits.emplace(IDB_DIGITS, kDigitWidth, kDigitHeight, kDigitCharacters);
    board.scoreDigits->KeepSelected();

    int stripWidth = 0, stripHeight = 0;
    if (!GetBitmapSize(board.pieceBitmap.Get(), stripWidth, stripHeight)) stripWidth = stripHeight = 0;
    const int side = stripHeight / 2;
    int columns = 0, rows = 0, colours = SkinInfo.colours;
    if (side > 0) {
        columns = width / side;
        rows = (height - kScoreBandHeight) / side;
        // Never deal a colour the strip has no picture for.
        colours = std::min(colours, stripWidth / side);
    }
    // A view too small for one cell gets an empty board: nothing to play,
    // nothing to end.
    if (columns < 1 || rows < 1) columns = rows = 0;

    // An emptied cell of row r shows the layer's block at (c x side,
    // (rows - r) x side), so the bottom row reads down to (rows + 1) x side,
    // which passes the view's bottom when cells are taller than the score
    // band: the layer is tiled over every row a cell can read, lest an old
    // background show there.
    const int layerHeight = std::max(height, (rows + 1) * side);
    EnsureBackgroundLayer(width, layerHeight);
    {
        FBitmap background(LoadSkinImage(SkinInfo.backgroundPath, IDB_BACKGROUND, screenWidth, screenHeight, depth));
        RECT layer = {0, 0, width, layerHeight};
        if (background) TileBitmap(board.backgroundDC.Get(), layer, background.Get());
    }

    board.cellWidth = board.cellHeight = side;
    board.ResetCursor();
    board.layoutColumns = columns;
    board.layoutRows = rows;
    if (!board.Resize(columns, rows, colours)) {
        board.layoutColumns = board.layoutRows = 0;
    }

    InvalidateRect(board.view.hwnd, nullptr, TRUE);
    EndWaitCursor();
}

// ---- The view ----------------------------------------------------------------------------------

LRESULT GameWindow::ViewProc(void* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = static_cast<GameWindow*>(self);
    switch (message) {
    case WM_PAINT:
        window->OnViewPaint();
        return 0;
    case WM_LBUTTONDOWN:
        window->OnPenDown(lParam);
        return 0;
    case WM_LBUTTONUP:
        window->OnPenUp();
        return 0;
    case WM_KEYDOWN:
        if (window->OnKeyDown(wParam, lParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_KEYUP:
        if (window->OnKeyUp(wParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_KILLFOCUS:
        window->OnKeysLost();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void GameWindow::OnViewPaint() {
    FPaintDC paint(board.view.hwnd);
    if (!paint.dc) return;
    board.ForEachCell(paint.dc);
    board.ScoreChanged(paint.dc);
}

void GameWindow::OnPenDown(LPARAM position) {
    if (press == Press::Key) return;
    press = Press::Pen;
    PlaySoundW(L"Close", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
    FClientDC dc(board.view.hwnd);
    // The stylus takes over: the cursor hides until the next arrow press.
    board.ShowCursor(dc.Get(), false);
    int column, row;
    board.CellAt(static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)), column, row);
    board.Select(dc.Get(), column, row);
}

void GameWindow::OnPenUp() {
    if (press == Press::Key) return;
    press = Press::None;
    EndPress();
}

bool GameWindow::OnKeyDown(WPARAM key, LPARAM flags) {
    int columnStep = 0, rowStep = 0;
    switch (key) {
    case VK_LEFT: columnStep = -1; break;
    case VK_RIGHT: columnStep = 1; break;
    case VK_DOWN: rowStep = -1; break;
    case VK_UP: rowStep = 1; break;
    case VK_RETURN: break;
    default: return false;
    }
    // While a question, the chooser or About is up, this window is disabled
    // and keys that still reach it belong to no move.
    if (!IsWindowEnabled(hwnd) || board.Columns() == 0 || board.Rows() == 0) return true;
    FClientDC dc(board.view.hwnd);
    if (key != VK_RETURN) {
        // The group stays the one marked when the action key went down.
        if (press == Press::Key) return true;
        // The first press shows the cursor where it stands; each later one,
        // auto-repeats included, moves it one cell.
        board.MoveCursor(dc.Get(), board.cursorShown ? StepCursor(board.cursor, columnStep, rowStep,
                                                                  board.Columns(), board.Rows())
                                                     : board.cursor);
        return true;
    }
    // An auto-repeat is no new press; a press the pen holds keeps it.
    const bool repeat = (flags & (1L << 30)) != 0;
    if (repeat || press != Press::None) return true;
    // Acting at a cell the player cannot see would surprise: a hidden cursor
    // is only shown.
    if (!board.cursorShown) {
        board.ShowCursor(dc.Get(), true);
        return true;
    }
    press = Press::Key;
    board.Select(dc.Get(), board.cursor.column, board.cursor.row);
    return true;
}

bool GameWindow::OnKeyUp(WPARAM key) {
    if (key != VK_RETURN) return false;
    // The release of a press this window did not take (the Enter that closed
    // a dialog) does nothing.
    if (press != Press::Key) return true;
    press = Press::None;
    EndPress();
    return true;
}

void GameWindow::OpenMenuByKeys() {
    HMENU popup = menu.handle ? GetSubMenu(menu.handle, 0) : nullptr;
    RECT bar;
    if (!popup || !IsWindowEnabled(hwnd) || !GetWindowRect(menuBar.hwnd, &bar)) return;
    // Opened from the keyboard, the menu starts on its first item, so that
    // Enter alone chooses it.
    PostMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 0);
    const UINT chosen = TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_RETURNCMD, bar.left, bar.top,
                                         hwnd, nullptr);
    if (chosen) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

void GameWindow::OnKeysLost() {
    if (press != Press::Key) return;
    press = Press::None;
    FClientDC dc(board.view.hwnd);
    board.Unmark(dc.Get());
}

void GameWindow::EndPress() {
    // A board without cells (a view too small for one) has no game to end.
    if (board.Columns() == 0 || board.Rows() == 0) return;
    if (board.IsGameOver()) {
        GameOver();
        return;
    }
    FClientDC dc(board.view.hwnd);
    board.RemoveMarked(dc.Get());
    board.ScoreChanged(dc.Get());
    const CursorCell landing = CursorAfterClear(board, board.cursor);
    if (board.cursorShown)
        board.MoveCursor(dc.Get(), landing);
    else
        board.cursor = landing;
}

void GameWindow::GameOver() {
    board.SettleGame();
    {
        FClientDC dc(board.view.hwnd);
        board.ScoreChanged(dc.Get());
    }
    DlgGameOver dialog(board.Score());
    DoModal(dialog, hwnd, LangJapanese ? L"DlgGameOver_J" : L"DlgGameOver_E");
    board.RecordBest();
    board.Deal();
    board.ResetCursor();
    InvalidateRect(board.view.hwnd, nullptr, TRUE);
}

// ---- The game-over dialog ---------------------------------------------------------------------------

INT_PTR DlgGameOver::OnInitDialog(HWND hwnd, UINT, WPARAM, LPARAM) {
    CenterWindow(hwnd);
    return TRUE;
}

INT_PTR DlgGameOver::OnDestroy(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

INT_PTR DlgGameOver::OnCommand(HWND hwnd, UINT, WPARAM wParam, LPARAM lParam) {
    const UINT id = CommandId(wParam, lParam);
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(hwnd, id);
        return TRUE;
    }
    return FALSE;
}

INT_PTR DlgGameOver::OnNotify(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

INT_PTR DlgGameOver::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
    FPaintDC paint(hwnd);
    if (paint.dc) DrawScore(paint.dc, 40, 20, score);
    return TRUE;
}

// ---- Application main ------------------------------------------------------------------------------

int RunGame(int showCommand) {
    // A second start brings the running copy to the front and ends.
    if (SingleInstance(AppName)) return 0;
    GameWindow window;
    if (!CreateMainWindow(window, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          WS_VISIBLE | WS_CLIPCHILDREN, 0, COLOR_WINDOW | 0x40000000))
        return 0;
    ShowWindow(window.hwnd, showCommand);
    UpdateWindow(window.hwnd);
    return RunMessageLoop(window, false);
}
