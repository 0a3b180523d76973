// The handheld shell's pieces over desktop windows and common controls.
#include "platform/aygshell.h"

#include <commctrl.h>

#include "platform/commandbar.h"
#include "platform/deviceprofile.h"
#include "platform/shellwindow.h"

namespace {

constexpr const wchar_t* kMenuBarClass = L"menu_worker";
constexpr const wchar_t* kSipPrefClass = L"SIPPREF";

constexpr int kMenuBarHeight96 = 26;
constexpr int kSipHeight96 = 80;

// Slots of the bar window's extra bytes.
constexpr int kSlotToolbar = 0;
constexpr int kSlotMenu = 1;
constexpr int kSlotImages = 2;
constexpr int kSlotCount = 3;

constexpr int kToolbarId = 1;
// Drop-down buttons of a menu bar get ids from here on; they never send
// commands of their own, their menu items do.
constexpr int kFirstDropDownId = 0xFE00;
constexpr int kMaxItemText = 128;


// A 96-dpi length in pixels of this screen, halves away from zero.
int ScaleToScreen(int length, int index) {
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, index);
        ReleaseDC(nullptr, screen);
    }
    int magnitude = ((length < 0 ? -length : length) * dpi + 48) / 96;
    return length < 0 ? -magnitude : magnitude;
}

int ScaleToScreenX(int length) { return ScaleToScreen(length, LOGPIXELSX); }
int ScaleToScreenY(int length) { return ScaleToScreen(length, LOGPIXELSY); }

HINSTANCE ResourceModule(HINSTANCE given) { return given ? given : GetModuleHandleW(nullptr); }

LONG_PTR Slot(HWND bar, int slot) { return GetWindowLongPtrW(bar, slot * sizeof(LONG_PTR)); }
void SetSlot(HWND bar, int slot, LONG_PTR value) { SetWindowLongPtrW(bar, slot * sizeof(LONG_PTR), value); }

HWND ToolbarOf(HWND bar) { return reinterpret_cast<HWND>(Slot(bar, kSlotToolbar)); }

// Puts the bar at the bottom of its parent's client area, above its siblings.
void PlaceBar(HWND bar) {
    HWND parent = GetParent(bar);
    RECT client;
    if (!parent || !GetClientRect(parent, &client)) return;
    int height = ce::MenuBarHeight();
    SetWindowPos(bar, HWND_TOP, 0, client.bottom - height, client.right, height, SWP_NOACTIVATE);
}

// Keeps each bar of the parent in place when the parent changes size.
LRESULT CALLBACK ParentSubclassProc(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR bar) {
    LRESULT result = DefSubclassProc(parent, message, wParam, lParam);
    if (message == WM_SIZE && IsWindow(reinterpret_cast<HWND>(bar)))
        PlaceBar(reinterpret_cast<HWND>(bar));
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(parent, ParentSubclassProc, id);
    return result;
}

// Shows the drop-down of one top-level menu item above its button. The menu
// posts the chosen command to the bar, which passes it on to the parent.
void ShowDropDown(HWND bar, const NMTOOLBARW& note) {
    HWND toolbar = ToolbarOf(bar);
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_LPARAM;
    if (SendMessageW(toolbar, TB_GETBUTTONINFOW, note.iItem, reinterpret_cast<LPARAM>(&info)) < 0) return;
    HMENU submenu = reinterpret_cast<HMENU>(info.lParam);
    if (!submenu) return;
    RECT button;
    SendMessageW(toolbar, TB_GETRECT, note.iItem, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    TPMPARAMS exclude{sizeof(exclude), button};
    TrackPopupMenuEx(submenu, TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_VERTICAL, button.left, button.top, bar,
                     &exclude);
}

// Passes a command on to the parent as a plain menu or button command.
void ForwardCommand(HWND bar, WPARAM wParam, LPARAM lParam) {
    HWND parent = GetParent(bar);
    if (!parent) return;
    if (lParam == 0) {
        SendMessageW(parent, WM_COMMAND, wParam, 0);  // a menu choice
    } else if (reinterpret_cast<HWND>(lParam) == ToolbarOf(bar)) {
        int id = LOWORD(wParam);
        if (id >= kFirstDropDownId) return;  // a drop-down button: its menu speaks for it
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    } else {
        SendMessageW(parent, WM_COMMAND, wParam, lParam);
    }
}

LRESULT CALLBACK MenuBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    // Toolbar and common-control messages sent to the bar are meant for its toolbar.
    if ((message >= WM_USER && message < WM_USER + 400) || (message >= CCM_FIRST && message <= CCM_LAST))
        return SendMessageW(ToolbarOf(bar), message, wParam, lParam);
    switch (message) {
    case SHCMBM_GETMENU:
        return Slot(bar, kSlotMenu);
    case WM_COMMAND:
        ForwardCommand(bar, wParam, lParam);
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == ToolbarOf(bar) && header->code == TBN_DROPDOWN) {
            ShowDropDown(bar, *reinterpret_cast<NMTOOLBARW*>(lParam));
            return TBDDRET_DEFAULT;
        }
        return 0;
    }
    case WM_INITMENUPOPUP:
        // The parent checks and enables its items as it would for its own menu.
        if (HWND parent = GetParent(bar)) return SendMessageW(parent, message, wParam, lParam);
        return 0;
    case WM_SIZE:
        if (HWND toolbar = ToolbarOf(bar)) MoveWindow(toolbar, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DESTROY:
        if (HWND parent = GetParent(bar))
            RemoveWindowSubclass(parent, ParentSubclassProc, reinterpret_cast<UINT_PTR>(bar));
        return 0;
    case WM_NCDESTROY:
        // The toolbar is gone by now: its images and the menu can go too.
        if (auto images = reinterpret_cast<HIMAGELIST>(Slot(bar, kSlotImages))) ImageList_Destroy(images);
        if (auto menu = reinterpret_cast<HMENU>(Slot(bar, kSlotMenu))) DestroyMenu(menu);
        SetSlot(bar, kSlotImages, 0);
        SetSlot(bar, kSlotMenu, 0);
        return DefWindowProcW(bar, message, wParam, lParam);
    default:
        return DefWindowProcW(bar, message, wParam, lParam);
    }
}

bool RegisterMenuBarClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MenuBarProc;
    wc.cbWndExtra = kSlotCount * sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMenuBarClass;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// One drop-down button per top-level item (a plain button for a top-level
// command); separators are left out.
bool AddMenuButtons(HWND toolbar, HMENU menu) {
    int count = GetMenuItemCount(menu);
    if (count < 0) return false;
    for (int i = 0; i < count; ++i) {
        wchar_t text[kMaxItemText] = L"";
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        item.dwTypeData = text;
        item.cch = kMaxItemText;
        if (!GetMenuItemInfoW(menu, i, TRUE, &item) || (item.fType & MFT_SEPARATOR)) continue;
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = item.hSubMenu ? kFirstDropDownId + i : static_cast<int>(item.wID);
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT | (item.hSubMenu ? BTNS_WHOLEDROPDOWN : BTNS_BUTTON);
        button.dwData = reinterpret_cast<DWORD_PTR>(item.hSubMenu);
        button.iString = reinterpret_cast<INT_PTR>(text);
        if (!SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button))) return false;
    }
    return true;
}

// The strip's images as a masked image list, or null when the strip is missing.
HIMAGELIST LoadStrip(HINSTANCE module, int bitmapId, int images) {
    if (bitmapId == 0 || images <= 0) return nullptr;
    HIMAGELIST list = nullptr;
    return ce::AddImageStrip(list, module, bitmapId, 0) < 0 ? nullptr : list;
}

// A dialog template may give the control WS_VISIBLE; while the dialog is
// still hidden the system merely sets that bit, so the control hides itself
// once its creation is over.
constexpr UINT kHideSipPref = WM_APP + 0x51;

LRESULT CALLBACK SipPrefProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        PostMessageW(window, kHideSipPref, 0, 0);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) PostMessageW(window, kHideSipPref, 0, 0);
        return 0;
    case WM_WINDOWPOSCHANGING:
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        return 0;
    case kHideSipPref:
        ShowWindow(window, SW_HIDE);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The window that had the focus before the done button took it.
constexpr const wchar_t* kFocusBeforeDone = L"PebbloraFocusBeforeDone";

// Remembers which control the done button took the focus from: on the
// handheld the caption's OK never takes the focus, and a dialog may act on
// the control that has it (a list opens its selection).
LRESULT CALLBACK DoneFocusSubclassProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR) {
    if (message == WM_SETFOCUS) SetPropW(button, kFocusBeforeDone, reinterpret_cast<HANDLE>(wParam));
    if (message == WM_NCDESTROY) {
        RemovePropW(button, kFocusBeforeDone);
        RemoveWindowSubclass(button, DoneFocusSubclassProc, 0);
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

// Turns the done button's click into IDOK, so that OK in the caption ends a
// dialog as its OK button would, with the plain code IDOK; the focus goes
// back first to the control the click took it from.
LRESULT CALLBACK DoneButtonSubclassProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR) {
    if (message == WM_COMMAND && LOWORD(wParam) == ce::kDoneButtonId && HIWORD(wParam) == BN_CLICKED) {
        auto before = static_cast<HWND>(GetPropW(reinterpret_cast<HWND>(lParam), kFocusBeforeDone));
        if (before && GetFocus() == reinterpret_cast<HWND>(lParam) && IsChild(dialog, before)) SetFocus(before);
        return SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(dialog, DoneButtonSubclassProc, 0);
    return DefSubclassProc(dialog, message, wParam, lParam);
}

void AddDoneButton(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    int width = ScaleToScreenX(32);
    int height = ScaleToScreenY(18);
    HWND done = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                client.right - ScaleToScreenX(2) - width, ScaleToScreenY(3), width, height,
                                dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ce::kDoneButtonId)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!done) return;
    SendMessageW(done, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(done, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowSubclass(done, DoneFocusSubclassProc, 0, 0);
    SetWindowSubclass(dialog, DoneButtonSubclassProc, 0, 0);
}

// Removes caption and frame so that the dialog's client area is the whole window.
void DropFrame(HWND dialog) {
    LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    SetWindowLongPtrW(dialog, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME));
    LONG_PTR exStyle = GetWindowLongPtrW(dialog, GWL_EXSTYLE);
    SetWindowLongPtrW(dialog, GWL_EXSTYLE,
                      exStyle & ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE |
                                                       WS_EX_STATICEDGE));
}

// Hides the desktop sheet's own buttons and lets it cover the device screen.
void MaximizeSheet(HWND sheet) {
    constexpr int kApplyButton = 0x3021;
    const int buttons[] = {IDOK, IDCANCEL, IDHELP, kApplyButton};
    for (int id : buttons)
        if (HWND button = GetDlgItem(sheet, id)) ShowWindow(button, SW_HIDE);
    RECT area = ce::FullScreenArea();
    SetWindowPos(sheet, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The callback of the last maximised sheet shown by this thread; a modeless
// sheet keeps calling it after PropertySheetW has returned.
thread_local PFNPROPSHEETCALLBACK callerSheetCallback = nullptr;

int CALLBACK MaximizingSheetCallback(HWND sheet, UINT message, LPARAM lParam) {
    if (message == PSCB_INITIALIZED) MaximizeSheet(sheet);
    return callerSheetCallback ? callerSheetCallback(sheet, message, lParam) : 0;
}

}  // namespace

namespace ce {

int MenuBarHeight() { return ScaleToScreenY(kMenuBarHeight96); }

RECT FullScreenArea() {
    return RECT{0, NavigationBarHeight(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

HWND MenuBarToolbar(HWND menuBar) {
    wchar_t cls[32];
    if (!menuBar || !GetClassNameW(menuBar, cls, 32) || lstrcmpiW(cls, kMenuBarClass) != 0) return nullptr;
    return ToolbarOf(menuBar);
}

INT_PTR PropertySheetW(PROPSHEETHEADERW* header) {
    if (!header || !(header->dwFlags & PSH_MAXIMIZE)) return ::PropertySheetW(header);
    PROPSHEETHEADERW desktop = *header;
    desktop.dwFlags = (header->dwFlags & ~PSH_MAXIMIZE) | PSH_USECALLBACK;
    desktop.pfnCallback = MaximizingSheetCallback;
    callerSheetCallback = (header->dwFlags & PSH_USECALLBACK) ? header->pfnCallback : nullptr;
    return ::PropertySheetW(&desktop);
}

}  // namespace ce

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || info->cbSize != sizeof(SHMENUBARINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hwndMB = nullptr;
    if (!IsWindow(info->hwndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterMenuBarClass()) return FALSE;

    HINSTANCE module = ResourceModule(info->hInstRes);
    HMENU menu = nullptr;
    bool fromMenu = (info->dwFlags & SHCMBF_HMENU) && !(info->dwFlags & SHCMBF_EMPTYBAR);
    if (fromMenu) {
        menu = LoadMenuW(module, MAKEINTRESOURCEW(info->nToolBarId));
        if (!menu) return FALSE;
    }

    HWND bar = CreateWindowExW(0, kMenuBarClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                               0, 0, 0, 0, info->hwndParent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!bar) {
        if (menu) DestroyMenu(menu);
        return FALSE;
    }
    // From here on the bar owns the menu and the images.
    SetSlot(bar, kSlotMenu, reinterpret_cast<LONG_PTR>(menu));

    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                                   WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE |
                                       CCS_NOPARENTALIGN | CCS_NODIVIDER,
                                   0, 0, 0, 0, bar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolbarId)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (!toolbar) {
        DestroyWindow(bar);
        return FALSE;
    }
    SetSlot(bar, kSlotToolbar, reinterpret_cast<LONG_PTR>(toolbar));
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);

    if (HIMAGELIST images = LoadStrip(module, info->nBmpId, info->cBmpImages)) {
        SetSlot(bar, kSlotImages, reinterpret_cast<LONG_PTR>(images));
        int size = 0, unused = 0;
        ImageList_GetIconSize(images, &size, &unused);
        SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
        SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    }
    if (fromMenu && !AddMenuButtons(toolbar, menu)) {
        DestroyWindow(bar);
        return FALSE;
    }

    PlaceBar(bar);
    SetWindowSubclass(info->hwndParent, ParentSubclassProc, reinterpret_cast<UINT_PTR>(bar),
                      reinterpret_cast<DWORD_PTR>(bar));
    info->hwndMB = bar;
    return TRUE;
}

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (!info || !(info->dwMask & SHIDIM_FLAGS) || !IsWindow(info->hDlg)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HWND dialog = info->hDlg;
    if (info->dwFlags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIZEDLG)) {
        RECT area = ce::FullScreenArea();
        if (!(info->dwFlags & SHIDIF_SIZEDLGFULLSCREEN)) {
            SIPINFO sip{};
            sip.cbSize = sizeof(sip);
            if (SipGetInfo(&sip)) area.bottom = sip.rcVisibleDesktop.bottom;
        }
        DropFrame(dialog);
        SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (info->dwFlags & SHIDIF_DONEBUTTON) AddDoneButton(dialog);
    return TRUE;
}

BOOL SipGetInfo(SIPINFO* info) {
    if (!info || info->cbSize != sizeof(SIPINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool shown = ce::ReadProfileNumber(ce::kProfileSipShown, 0) != 0;
    int height = static_cast<int>(ce::ReadProfileNumber(ce::kProfileSipHeight, ScaleToScreenY(kSipHeight96)));
    int width = GetSystemMetrics(SM_CXSCREEN);
    int bottom = GetSystemMetrics(SM_CYSCREEN) - ce::MenuBarHeight();
    info->fdwFlags = shown ? SIPF_ON : 0;
    info->rcSipRect = RECT{0, bottom - height, width, bottom};
    info->rcVisibleDesktop = RECT{0, ce::NavigationBarHeight(), width, shown ? bottom - height : bottom};
    return TRUE;
}

BOOL SHInitExtraControls() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = SipPrefProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kSipPrefClass;
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
