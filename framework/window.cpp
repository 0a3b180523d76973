// Window objects, the shared procedures and the main message loop.
#include "framework/window.h"

#include <commctrl.h>

#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/errorbox.h"
#include "platform/aygshell.h"
#include "platform/shellwindow.h"
#include "resources/resource.h"

FObjectMap<FWindow> WindowMap(false);

namespace {

constexpr const wchar_t* kBlessAreaClass = L"BlessArea";
constexpr int kAcceleratorTable = 100;

HACCEL accelerators = nullptr;

// The procedure registered for every window class of the framework.
LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_CREATE) {
            auto* object = static_cast<FWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            if (object) {
                object->hwnd = hwnd;
                WindowMap.Add(object);
            }
        }
        FWindow* object = WindowMap.Find(hwnd);
        if (!object) return DefWindowProcW(hwnd, message, wParam, lParam);
        LRESULT result = object->WindowProc(hwnd, message, wParam, lParam);
        if (message == WM_DESTROY) WindowMap.Remove(object);
        return result;
    } catch (...) {
        ShowFatal(hwnd, L"WndProc");
        return 0;
    }
}

// The procedure installed on subclassed controls.
LRESULT CALLBACK SharedSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        FWindow* object = WindowMap.Find(hwnd);
        if (!object) return DefWindowProcW(hwnd, message, wParam, lParam);
        return object->SubclassProc(hwnd, message, wParam, lParam);
    } catch (...) {
        ShowFatal(hwnd, L"WndSub");
        return 0;
    }
}

// Registers `name` with the shared procedure unless it already is.
bool RegisterFrameworkClass(const wchar_t* name, HICON icon, HBRUSH background) {
    WNDCLASSW existing;
    if (GetClassInfoW(AppInstance, name, &existing)) return true;
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SharedWindowProc;
    wc.hInstance = AppInstance;
    wc.hIcon = icon;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassW(&wc) != 0;
}

// Binds the object to the result of a creation call. A window refused at
// WM_CREATE was bound there but need not see WM_DESTROY, so a failed
// creation unbinds the object here.
void TakeCreatedWindow(FWindow& object, HWND created) {
    object.hwnd = created;
    object.owned = created != nullptr;
    if (!created) WindowMap.Remove(&object);
}

// Scrolls by the bar's code; shared by both directions.
void ScrollClientArea(HWND hwnd, int bar, WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(hwnd, bar, &info)) return;
    const int old = info.nPos;
    int position = old;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK: position = info.nTrackPos; break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: break;
    }
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(hwnd, bar, &info, TRUE);
    GetScrollInfo(hwnd, bar, &info);
    const int delta = old - info.nPos;
    if (delta == 0) return;
    if (bar == SB_HORZ)
        ScrollWindowEx(hwnd, delta, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE | SW_SCROLLCHILDREN);
    else
        ScrollWindowEx(hwnd, 0, delta, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE | SW_SCROLLCHILDREN);
    UpdateWindow(hwnd);
}

// Takes a bar's height off the bottom of `area`, moving the bar there when asked.
void MakeRoomForBar(FWindow& bar, bool visible, RECT& area, bool moveBar) {
    if (!bar.hwnd || !visible) return;
    RECT rect;
    if (!GetWindowRect(bar.hwnd, &rect)) return;
    const int height = rect.bottom - rect.top;
    area.bottom -= height;
    if (moveBar) MoveWindow(bar.hwnd, area.left, area.bottom, rect.right - rect.left, height, TRUE);
}

}  // namespace

// ---- FWnd and FWindow -------------------------------------------------------

FWnd::~FWnd() {
    if (owned && hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
}

FWindow::~FWindow() {
    Unsubclass(*this);
    // The derived parts of this object are gone: the messages of the
    // window's destruction below (FWnd) must not reach its handlers.
    WindowMap.Remove(this);
}

LRESULT FWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT FWindow::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (delegateObj) return delegateProc(delegateObj, hwnd, message, wParam, lParam);
    return CallWindowProcW(prevProc, hwnd, message, wParam, lParam);
}

LRESULT FScrollWnd::OnHScroll(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
    ScrollClientArea(hwnd, SB_HORZ, wParam);
    return 0;
}

LRESULT FScrollWnd::OnVScroll(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
    ScrollClientArea(hwnd, SB_VERT, wParam);
    return 0;
}

// ---- Frames -----------------------------------------------------------------

FFrameWnd::~FFrameWnd() {
    // The derived frame is gone, so the messages that destroying the members
    // sends to the frame (WM_PARENTNOTIFY) must not reach its handlers.
    Unsubclass(*this);
    WindowMap.Remove(this);
    // Members go before the frame's own window: unsubclass and destroy the
    // ones it owns now, while the frame still exists.
    for (FWindow* member : {&menuBar, &bar1, &extra, &bar2}) {
        Unsubclass(*member);
        if (member->owned && member->hwnd && IsWindow(member->hwnd)) DestroyWindow(member->hwnd);
        member->owned = FALSE;
    }
    if (menu.owned && menu.handle) DestroyMenu(menu.handle);
    menu = {};
}

LRESULT FFrameWnd::OnCreate(HWND, UINT, WPARAM, LPARAM) { return 0; }

LRESULT FFrameWnd::OnDestroy(HWND, UINT, WPARAM, LPARAM) {
    PostQuitMessage(0);
    return 0;
}

LRESULT FMainFrame::OnActivate(HWND, UINT, WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        savedFocus = GetFocus();
    } else if (savedFocus) {
        SetFocus(savedFocus);
    }
    return 0;
}

// ---- Creation -----------------------------------------------------------------

bool CreateMainWindow(FWindow& frame, int x, int y, int width, int height, DWORD style, DWORD exStyle,
                      int backgroundColourIndex) {
    if (!FindResourceW(AppInstance, MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON))
        ShowFatal(nullptr, L"RT_GROUP_ICON[%d]", IDI_APP);
    HICON icon = LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_APP));
    // The handheld's colour indexes carry a flag bit; the brush is the system colour + 1.
    auto brush = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>((backgroundColourIndex & 0xFFFF) + 1));
    if (!RegisterFrameworkClass(AppName, icon, brush)) return false;

    // A top-level window of the handheld fills the screen below its
    // navigation bar and has no frame of its own.
    ce::PlaceTopLevelWindow(style, exStyle, x, y, width, height);
    HWND created = CreateWindowExW(exStyle, AppName, AppTitle, style, x, y, width, height, nullptr, nullptr,
                                   AppInstance, &frame);
    TakeCreatedWindow(frame, created);
    if (!created) return false;

    HANDLE small = LoadImageW(AppInstance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), 0);
    SendMessageW(created, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    return true;
}

HWND CreateBlessArea(FWindow& area, HWND parent, const wchar_t* title, int controlId, DWORD style, DWORD exStyle,
                     int x, int y, int width, int height, HBRUSH background) {
    if (!RegisterFrameworkClass(kBlessAreaClass, nullptr, background)) return nullptr;
    HWND created = CreateWindowExW(exStyle, kBlessAreaClass, title, style | WS_CHILD, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), AppInstance, &area);
    TakeCreatedWindow(area, created);
    return created;
}

bool CreateMenuBar(FFrameWnd& frame, int menuId) {
    SHMENUBARINFO info{};
    info.cbSize = sizeof(info);
    info.hwndParent = frame.hwnd;
    info.dwFlags = SHCMBF_HMENU;
    info.nToolBarId = menuId;
    info.hInstRes = AppInstance;
    if (!SHCreateMenuBar(&info)) return false;
    frame.menuBar.hwnd = info.hwndMB;
    frame.menuBar.owned = FALSE;
    frame.menu.handle = reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETMENU, 0, 0));
    frame.menu.owned = false;
    return true;
}

bool GetClientArea(FFrameWnd& frame, RECT& area, bool leaveRoomForInputPanel, bool moveBars) {
    if (!GetClientRect(frame.hwnd, &area)) return false;
    area.bottom -= ScaleY(26);
    if (leaveRoomForInputPanel) {
        SIPINFO sip{};
        sip.cbSize = sizeof(sip);
        if (SipGetInfo(&sip) && (sip.fdwFlags & SIPF_ON)) area.bottom -= sip.rcSipRect.bottom - sip.rcSipRect.top;
    }
    MakeRoomForBar(frame.bar1, frame.bar1.hwnd && IsWindowVisible(frame.bar1.hwnd), area, moveBars);
    MakeRoomForBar(frame.bar2, frame.bar2.hwnd && (GetWindowLongW(frame.bar2.hwnd, GWL_STYLE) & WS_VISIBLE), area,
                   moveBars);
    return true;
}

// ---- Subclassing --------------------------------------------------------------

void Subclass(FWindow& control, void* delegateObj, DelegateProc delegateProc) {
    if (control.prevProc) return;
    control.delegateObj = delegateObj;
    control.delegateProc = delegateProc;
    WindowMap.Add(&control);
    control.prevProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control.hwnd, GWLP_WNDPROC));
    SetWindowLongPtrW(control.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SharedSubclassProc));
}

void Unsubclass(FWindow& control) {
    if (!control.prevProc) return;
    // Put the old procedure back only while ours is still installed: a
    // procedure installed after ours must not be thrown away.
    if (control.hwnd && IsWindow(control.hwnd) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control.hwnd, GWLP_WNDPROC)) == SharedSubclassProc)
        SetWindowLongPtrW(control.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control.prevProc));
    WindowMap.Remove(&control);
    control.prevProc = nullptr;
    control.delegateObj = nullptr;
    control.delegateProc = nullptr;
}

// ---- Message loop and helpers ---------------------------------------------------

int RunMessageLoop(FWindow& mainWindow, bool useDialogKeys) {
    if (!accelerators) accelerators = LoadAcceleratorsW(AppInstance, MAKEINTRESOURCEW(kAcceleratorTable));
    if (!accelerators) ShowDebug(L"IDR_ACCELERATOR_MAIN");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        bool done = false;
        for (HWND dialog : DialogMap.Windows()) {
            if (dialog && IsDialogMessageW(dialog, &msg)) {
                done = true;
                break;
            }
        }
        if (done) continue;
        if (accelerators && TranslateAcceleratorW(mainWindow.hwnd, accelerators, &msg)) continue;
        if (useDialogKeys && IsDialogMessageW(mainWindow.hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool InitControls(DWORD extraClasses) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    init.dwICC = ICC_BAR_CLASSES | ICC_COOL_CLASSES | extraClasses;
    if (!InitCommonControlsEx(&init)) return false;
    return SHInitExtraControls() != FALSE;
}

void CenterWindow(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int x, y;
    RECT parentRect;
    HWND parent = GetParent(window);
    if (parent && GetWindowRect(parent, &parentRect)) {
        x = parentRect.left + (parentRect.right - parentRect.left - w) / 2;
        y = parentRect.top + (parentRect.bottom - parentRect.top - h) / 2;
    } else {
        x = (screenWidth - w) / 2;
        y = (screenHeight - h) / 2;
    }
    if (x + w > screenWidth) x = screenWidth - w;
    if (y + h > screenHeight) y = screenHeight - h;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    MoveWindow(window, x, y, w, h, TRUE);
}

void ChangeStyle(FWnd& window, LONG remove, LONG add) {
    LONG style = GetWindowLongW(window.hwnd, GWL_STYLE);
    SetWindowLongW(window.hwnd, GWL_STYLE, (style & ~remove) | add);
}

void BeginWaitCursor() {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ShowCursor(TRUE);
}

void EndWaitCursor() {
    ShowCursor(FALSE);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}
