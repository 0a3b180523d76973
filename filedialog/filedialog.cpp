// The file selection dialog: its start, its bars and layout, and the routing
// of its commands and notifications.
#include "filedialog/filedialog.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "framework/appvalues.h"
#include "framework/language.h"
#include "framework/window.h"
#include "platform/aygshell.h"
#include "platform/commandbar.h"
#include "resources/resource.h"

namespace {

constexpr int kBarImageCount = 9;
constexpr int kLocationImageCount = 12;
constexpr int kLogicalImageSize = 16;
// The folder bar shows image 10 for a plain folder and icon + 9 for a
// special location.
constexpr int kPlainFolderImage = 10;
constexpr int kLocationImageBase = 9;
constexpr int kMenuBarHeight96 = 26;
// The tap-and-hold gesture's notification.
constexpr UINT kGestureContextMenu = 1000;
constexpr UINT kFileTypeChange = MAKEWPARAM(IDC_FILE_TYPE, CBN_SELCHANGE);

struct ToolbarButton {
    int command;
    int image;
    BYTE state;
    const wchar_t* english;
    const wchar_t* japanese;
};

// The menu bar's eight buttons in order; the separator has no tooltip.
constexpr ToolbarButton kToolbarButtons[] = {
    {IDCANCEL, 0, TBSTATE_ENABLED, L"Cancel", L"ｷｬﾝｾﾙ"},
    {IDOK, 1, TBSTATE_ENABLED, L"OK", L"OK"},
    {0, 0, TBSTATE_ENABLED, nullptr, nullptr},
    {IDM_FOLDER_BACK, 2, 0, L"Go to Last Folder Visited", L"戻る"},
    {IDM_FOLDER_UP, 4, TBSTATE_ENABLED, L"Up One Level", L"上へ"},
    {IDM_FOLDER_NEW, 5, TBSTATE_ENABLED, L"Create New Folder", L"新規ﾌｫﾙﾀﾞの作成"},
    {IDM_FOLDER_DELETE, 6, TBSTATE_ENABLED, L"Delete", L"削除"},
    {IDM_FOLDER_VIEWMENU, 7, TBSTATE_ENABLED, L"View Menu", L"表示ﾒﾆｭｰ"},
};

}  // namespace

FDlgGetFileName::~FDlgGetFileName() = default;

INT_PTR FDlgGetFileName::Run(bool saveMode, OPENFILENAMEW& caller) {
    save = saveMode;
    request = &caller;
    const wchar_t* name = ByLanguage(L"FDlgGetFileName_E", L"FDlgGetFileName_J");
    if ((caller.Flags & OFN_ENABLETEMPLATE) && caller.lpTemplateName) name = caller.lpTemplateName;
    return DoModal(*this, caller.hwndOwner, name);
}

bool FGetOpenFileName(OPENFILENAMEW& request) {
    FDlgGetFileName dialog;
    return dialog.Run(false, request) == IDOK;
}

bool FGetSaveFileName(OPENFILENAMEW& request) {
    FDlgGetFileName dialog;
    return dialog.Run(true, request) == IDOK;
}

// ---- Routing -----------------------------------------------------------------------------

INT_PTR FDlgGetFileName::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        return OnSize(hwnd, message, wParam, lParam);
    case WM_SETTINGCHANGE:
        return OnSettingChange(hwnd, message, wParam, lParam);
    default:
        return FDlg::DialogProc(hwnd, message, wParam, lParam);
    }
}

INT_PTR FDlgGetFileName::OnSize(HWND, UINT, WPARAM, LPARAM) {
    LayoutControls();
    return TRUE;
}

INT_PTR FDlgGetFileName::OnSettingChange(HWND, UINT, WPARAM wParam, LPARAM) {
    if (wParam == SPI_SETSIPINFO) LayoutControls();
    return TRUE;
}

INT_PTR FDlgGetFileName::OnCommand(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
    if (wParam == kFileTypeChange) {
        OnFileTypeChange();
        return TRUE;
    }
    const int command = LOWORD(wParam);
    if (command >= IDM_ANCESTOR_FIRST && command <= IDM_ANCESTOR_LAST) {
        GoToAncestor(command - IDM_ANCESTOR_FIRST);
        return TRUE;
    }
    switch (command) {
    case IDOK:
        if (view && GetFocus() == view->hwnd)
            OpenSelection();
        else
            AcceptTypedName();
        return TRUE;
    case IDCANCEL:
        EndDialog(hwnd, IDCANCEL);
        return TRUE;
    case IDM_FOLDER_BACK:
        GoBack();
        return TRUE;
    case IDM_FOLDER_UP:
        GoUp();
        return TRUE;
    case IDM_FOLDER_VIEWMENU:
        if (view) view->ShowViewMenu(hwnd, ce::MenuBarToolbar(menuBar), IDM_FOLDER_VIEWMENU);
        return TRUE;
    case IDM_FOLDER_LOCATION:
        ShowLocationMenu();
        return TRUE;
    case IDM_FOLDER_POPUP:
        ShowBackUpMenu();
        return TRUE;
    case IDM_FOLDER_FIND:
        Find();
        return TRUE;
    default:
        // New Folder, Delete, the view modes and the sort keys.
        return view && view->OnCommand(command);
    }
}

INT_PTR FDlgGetFileName::OnNotify(HWND hwnd, UINT, WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || !view) return FALSE;
    if (header->idFrom == IDC_FOLDER_BAR && header->code == TBN_DROPDOWN) {
        const auto* drop = reinterpret_cast<const NMTOOLBARW*>(lParam);
        if (drop->iItem == IDM_FOLDER_VIEWMENU) {
            view->ShowViewMenu(hwnd, FolderBar, IDM_FOLDER_VIEWMENU);
        } else if (drop->iItem == IDM_FOLDER_LOCATION) {
            ShowLocationMenu();
        } else {
            SetNotifyResult(TBDDRET_NODEFAULT);
            return TRUE;
        }
        SetNotifyResult(TBDDRET_DEFAULT);
        return TRUE;
    }
    if (header->idFrom != IDC_FOLDER_LIST) return FALSE;
    switch (header->code) {
    case LVN_GETDISPINFOW:
        view->OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return TRUE;
    case LVN_BEGINLABELEDITW:
        SetNotifyResult(view->OnBeginLabelEdit(*reinterpret_cast<const NMLVDISPINFOW*>(lParam)));
        return TRUE;
    case LVN_ENDLABELEDITW:
        SetNotifyResult(view->OnEndLabelEdit(*reinterpret_cast<const NMLVDISPINFOW*>(lParam)));
        return TRUE;
    case LVN_KEYDOWN:
        view->OnKeyDown(*reinterpret_cast<const NMLVKEYDOWN*>(lParam));
        return TRUE;
    case LVN_COLUMNCLICK:
        view->OnColumnClick(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        return TRUE;
    case LVN_ITEMCHANGED:
        OnSelectionChange();
        return TRUE;
    case NM_DBLCLK:
        OpenSelection();
        return TRUE;
    case NM_CLICK:
        if (GetKeyState(VK_MENU) < 0) PostMessageW(hwnd, WM_COMMAND, IDM_FOLDER_POPUP, 0);
        return FALSE;
    case NM_RCLICK:
    case kGestureContextMenu:
        PostMessageW(hwnd, WM_COMMAND, IDM_FOLDER_POPUP, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- Start and end -------------------------------------------------------------------------

INT_PTR FDlgGetFileName::OnInitDialog(HWND hwnd, UINT, WPARAM, LPARAM) {
    view = std::make_unique<FFolderView>(GetDlgItem(hwnd, IDC_FOLDER_LIST));
    view->SetViewMode(IDM_VIEW_LIST);
    CreateFolderBar();

    if (request->lpstrTitle)
        SetWindowTextW(hwnd, request->lpstrTitle);
    else
        SetWindowTextW(hwnd, save ? ByLanguage(L"Save as", L"名前を付けて保存") : ByLanguage(L"Open", L"開く"));

    FillFileTypes();
    if (!(request->Flags & OFN_ALLOWMULTISELECT)) ChangeStyle(*view, 0, LVS_SINGLESEL);

    // A folder that would not fit, or does not exist, leaves the view on no
    // location: an empty list under the Desktop's picture.
    wchar_t initial[kMaxPath] = L"\\";
    if (request->lpstrInitialDir) {
        initial[0] = L'\0';
        if (wcsnlen(request->lpstrInitialDir, kMaxPath) < static_cast<size_t>(kMaxPath))
            lstrcpynW(initial, request->lpstrInitialDir, kMaxPath);
    }
    if (initial[0]) (void)view->MoveToLocation(LookupLocation(initial), initial);

    if (save && request->lpstrFile && request->nMaxFile > 0) {
        wchar_t name[kMaxPath] = L"";
        lstrcpynW(name, request->lpstrFile, static_cast<int>(std::min<DWORD>(request->nMaxFile, kMaxPath)));
        SetDlgItemTextW(hwnd, IDC_FILE_NAME, name);
    }
    UpdateFolderBar();
    view->RefreshWhenStale(false);

    SHINITDLGINFO init{};
    init.dwMask = SHIDIM_FLAGS;
    init.hDlg = hwnd;
    init.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN;
    SHInitDialog(&init);
    CreateToolbar();
    WatchFindKeys(*this, true);
    return TRUE;
}

INT_PTR FDlgGetFileName::OnDestroy(HWND, UINT, WPARAM, LPARAM) {
    WatchFindKeys(*this, false);
    // The controls go with the dialog window; the objects go now.
    view.reset();
    FolderBar = nullptr;
    menuBar = nullptr;
    return TRUE;
}

void FDlgGetFileName::CreateFolderBar() {
    FolderBar = CommandBar_Create(AppInstance, hwnd, IDC_FOLDER_BAR);
    if (!FolderBar) return;
    FWnd bar(FolderBar);
    ChangeStyle(bar, 0, CCS_TOP | CCS_NOPARENTALIGN);
    CommandBar_AddBitmap(FolderBar, AppInstance, HiRes ? IDB_BAR_BUTTONS_HI : IDB_BAR_BUTTONS, kBarImageCount,
                         kLogicalImageSize, kLogicalImageSize);
    CommandBar_AddBitmap(FolderBar, AppInstance, HiRes ? IDB_LOCATIONS_HI : IDB_LOCATIONS, kLocationImageCount,
                         kLogicalImageSize, kLogicalImageSize);
    TBBUTTON button{};
    button.iBitmap = 0;
    button.idCommand = IDM_FOLDER_LOCATION;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT | BTNS_WHOLEDROPDOWN;
    button.iString = -1;
    CommandBar_AddButtons(FolderBar, 1, &button);
    const wchar_t* tip = ByLanguage(L"Dir", L"ﾃﾞｨﾚｸﾄﾘ");
    CommandBar_AddToolTips(FolderBar, 1, &tip);
    SetWindowPos(FolderBar, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN) - ScaleX(2), CommandBar_Height(FolderBar),
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    SendMessageW(FolderBar, TB_AUTOSIZE, 0, 0);
}

void FDlgGetFileName::CreateToolbar() {
    // The dialogs' own menu bar, without its Cancel and OK: this dialog
    // brings its eight buttons.
    menuBar = CreateDialogMenuBar(hwnd, false);
    if (!menuBar) return;

    TBBUTTON buttons[std::size(kToolbarButtons)]{};
    const wchar_t* tips[std::size(kToolbarButtons)]{};
    UINT tipCount = 0;
    for (size_t i = 0; i < std::size(kToolbarButtons); ++i) {
        const ToolbarButton& spec = kToolbarButtons[i];
        buttons[i].iBitmap = spec.command ? spec.image : 0;
        buttons[i].idCommand = spec.command;
        buttons[i].fsState = spec.state;
        buttons[i].fsStyle = spec.command ? BTNS_BUTTON : BTNS_SEP;
        buttons[i].iString = -1;
        if (spec.english) tips[tipCount++] = ByLanguage(spec.english, spec.japanese);
    }
    SendMessageW(menuBar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    CommandBar_AddToolTips(ce::MenuBarToolbar(menuBar), tipCount, tips);
}

void FDlgGetFileName::LayoutControls() {
    if (!view || !FolderBar) return;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int bottom = GetSystemMetrics(SM_CYSCREEN) - ScaleY(kMenuBarHeight96);
    SIPINFO sip{};
    sip.cbSize = sizeof(sip);
    if (SipGetInfo(&sip) && (sip.fdwFlags & SIPF_ON)) bottom -= sip.rcSipRect.bottom - sip.rcSipRect.top;

    RECT bar{};
    GetWindowRect(FolderBar, &bar);
    const int barHeight = bar.bottom - bar.top;
    POINT barTop{0, bottom - barHeight};
    ScreenToClient(hwnd, &barTop);
    SetWindowPos(FolderBar, nullptr, barTop.x, barTop.y, screenWidth, barHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    RECT list{};
    GetWindowRect(view->hwnd, &list);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&list), 2);
    SetWindowPos(view->hwnd, nullptr, barTop.x, list.top, screenWidth, std::max(0L, barTop.y - list.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void FDlgGetFileName::EnableButton(int command, bool enabled) {
    if (menuBar) SendMessageW(menuBar, TB_ENABLEBUTTON, command, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void FDlgGetFileName::UpdateFolderBar() {
    if (!FolderBar || !view) return;
    const wchar_t* text = LocationName(kDesktop);
    int image = LocationTable[0].icon + kLocationImageBase;
    if (view->location == kPlainFolder) {
        text = FindFileName(view->path);
        image = kPlainFolderImage;
    } else if (IsSpecialLocation(view->location)) {
        text = LocationName(view->location);
        image = LocationTable[view->location & kLocationIndexMask].icon + kLocationImageBase;
    }
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT | TBIF_IMAGE;
    info.iImage = image;
    info.pszText = const_cast<wchar_t*>(text);
    SendMessageW(FolderBar, TB_SETBUTTONINFOW, IDM_FOLDER_LOCATION, reinterpret_cast<LPARAM>(&info));
    SendMessageW(FolderBar, TB_AUTOSIZE, 0, 0);
}

// ---- File types ------------------------------------------------------------------------------

const wchar_t* FDlgGetFileName::FilterPattern(int n) const {
    const wchar_t* text = request->lpstrFilter;
    if (!text || n < 0) return nullptr;
    // Pairs of strings, the list ended by an empty one: never walk past it.
    for (int position = 0; *text; ++position) {
        if (position == 2 * n + 1) return text;
        text += std::wcslen(text) + 1;
    }
    return nullptr;
}

void FDlgGetFileName::FillFileTypes() {
    HWND box = GetDlgItem(hwnd, IDC_FILE_TYPE);
    int pairs = 0;
    for (const wchar_t* description = request->lpstrFilter; description && *description; ++pairs) {
        const wchar_t* pattern = description + std::wcslen(description) + 1;
        if (!*pattern) break;  // a description without its pattern is no pair
        SendMessageW(box, CB_INSERTSTRING, pairs, reinterpret_cast<LPARAM>(description));
        description = pattern + std::wcslen(pattern) + 1;
    }
    if (pairs == 0) {
        SendMessageW(box, CB_INSERTSTRING, 0,
                     reinterpret_cast<LPARAM>(ByLanguage(L"All files (*.*)", L"すべてのﾌｧｲﾙ (*.*)")));
        SendMessageW(box, CB_SETCURSEL, 0, 0);
        return;
    }
    const int chosen = request->nFilterIndex >= 1 && request->nFilterIndex <= static_cast<DWORD>(pairs)
                           ? static_cast<int>(request->nFilterIndex) - 1
                           : 0;
    SendMessageW(box, CB_SETCURSEL, chosen, 0);
    view->SetFilter(FilterPattern(chosen));
}

void FDlgGetFileName::OnFileTypeChange() {
    const int chosen = static_cast<int>(SendDlgItemMessageW(hwnd, IDC_FILE_TYPE, CB_GETCURSEL, 0, 0));
    const wchar_t* pattern = FilterPattern(chosen);
    if (pattern && view->SetFilter(pattern)) view->Refresh();
}
