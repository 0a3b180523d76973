// The navigation bar stand-in and top-level window placement.
#include "platform/shellwindow.h"

namespace ce {

namespace {

constexpr const wchar_t* kNavigationBarClass = L"PebbloraNavigationBar";
HWND navigationBar = nullptr;
HWINEVENTHOOK titleHook = nullptr;
// What the bar shows, so that a poll can tell when it went stale.
HWND shownWindow = nullptr;
wchar_t shownTitle[260] = L"";
// Wine does not always report the activation that returns to an owner when
// a dialog closes: the bar also looks for itself four times a second.
constexpr UINT_PTR kTitlePollTimer = 1;
constexpr UINT kTitlePollMs = 250;

// The window whose title the bar shows: the active top-level window of
// this process, or its owner chain's top.
HWND ShownWindow() {
    HWND window = GetForegroundWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!window || process != GetCurrentProcessId() || window == navigationBar) return nullptr;
    return window;
}

void PaintNavigationBar(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rect;
    GetClientRect(hwnd, &rect);
    // A vertical gradient from deep to lighter blue, as the handheld's bar.
    const int height = rect.bottom > 0 ? rect.bottom : 1;
    for (int y = 0; y < rect.bottom; ++y) {
        const int t = y * 255 / height;
        HBRUSH band = CreateSolidBrush(RGB(16 + t / 10, 48 + t / 8, 120 + t / 6));
        RECT line = {0, y, rect.right, y + 1};
        FillRect(dc, &line, band);
        DeleteObject(band);
    }
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    const int pad = MulDiv(4, dpi, 96);
    const int iconSize = rect.bottom - 2 * pad;
    if (HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), IMAGE_ICON,
                                                   iconSize, iconSize, 0))) {
        DrawIconEx(dc, pad, pad, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
    }
    shownWindow = ShownWindow();
    shownTitle[0] = L'\0';
    if (shownWindow) GetWindowTextW(shownWindow, shownTitle, 260);
    const wchar_t* title = shownTitle;
    LOGFONTW font{};
    font.lfHeight = -MulDiv(9, dpi, 72);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    HFONT bold = CreateFontIndirectW(&font);
    HGDIOBJ old = SelectObject(dc, bold);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT text = {pad * 2 + iconSize, 0, rect.right - pad, rect.bottom};
    DrawTextW(dc, title, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    DeleteObject(bold);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK NavigationBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintNavigationBar(hwnd);
        return 0;
    case WM_MOUSEACTIVATE:
        // Tapping the bar must not take the activation from the program.
        return MA_NOACTIVATE;
    case WM_TIMER:
        if (wParam == kTitlePollTimer) {
            wchar_t title[260] = L"";
            HWND shown = ShownWindow();
            if (shown) GetWindowTextW(shown, title, 260);
            if (shown != shownWindow || lstrcmpW(title, shownTitle) != 0) InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kTitlePollTimer);
        if (titleHook) UnhookWinEvent(titleHook);
        titleHook = nullptr;
        navigationBar = nullptr;
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// Repaints the bar when the active window or a title changes.
void CALLBACK OnTitleEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (object != OBJID_WINDOW || !navigationBar) return;
    if (window && GetAncestor(window, GA_ROOT) != window) return;
    InvalidateRect(navigationBar, nullptr, FALSE);
}

void CreateNavigationBar() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = NavigationBarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kNavigationBarClass;
    RegisterClassW(&wc);
    navigationBar = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kNavigationBarClass, L"", WS_POPUP | WS_VISIBLE,
                                    0, 0, GetSystemMetrics(SM_CXSCREEN), NavigationBarHeight(), nullptr, nullptr,
                                    instance, nullptr);
    if (navigationBar) SetTimer(navigationBar, kTitlePollTimer, kTitlePollMs, nullptr);
    titleHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_NAMECHANGE, nullptr, OnTitleEvent,
                                GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
}

}  // namespace

int NavigationBarHeight() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return MulDiv(26, dpi, 96);
}

void PlaceTopLevelWindow(DWORD& style, DWORD& exStyle, int& x, int& y, int& width, int& height) {
    if (!navigationBar) CreateNavigationBar();
    if (x == CW_USEDEFAULT || width == CW_USEDEFAULT) {
        const int top = NavigationBarHeight();
        x = 0;
        y = top;
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN) - top;
    }
    // Overlapped windows get a caption on the desktop; the handheld's do not.
    if (!(style & WS_CHILD)) style = (style & ~(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU)) | WS_POPUP;
    exStyle &= ~WS_EX_WINDOWEDGE;
}

}  // namespace ce
