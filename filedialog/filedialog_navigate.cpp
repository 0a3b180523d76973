// The file selection dialog's moves among locations: every move with its
// history and toolbar states, Back, Up, the location menu of ancestors, and
// the Back/Up popup.
#include <windowsx.h>

#include <algorithm>

#include "filedialog/filedialog.h"
#include "filedialog/navigation.h"
#include "framework/appvalues.h"
#include "framework/language.h"
#include "resources/resource.h"

namespace {

// The location's path in marker form; no location has none.
LocationCode CurrentPath(const FFolderView& view, wchar_t* path) {
    if (view.location == kNoLocation) {
        path[0] = L'\0';
        return kNoLocation;
    }
    return view.LocationPath(path);
}

}  // namespace

bool FDlgGetFileName::Navigate(LocationCode code, const wchar_t* path, bool remember) {
    wchar_t left[kMaxPath];
    const LocationCode leftCode = view->Location(left);
    if (!view->MoveToLocation(code, path)) return false;
    // No location has no text to come back to.
    if (remember && leftCode != kNoLocation) {
        History.emplace_front(left);
        EnableButton(IDM_FOLDER_BACK, true);
    }
    UpdateFolderBar();
    EnableButton(IDM_FOLDER_UP, HasParentLocation(code));
    EnableButton(IDM_FOLDER_NEW, AllowsNewFolder(code));
    view->RefreshWhenStale(false);
    return true;
}

void FDlgGetFileName::GoBack() {
    if (History.empty()) return;
    wchar_t text[kMaxPath];
    lstrcpynW(text, History.front().c_str(), kMaxPath);
    // The text goes whether or not its location can still be entered.
    (void)Navigate(LookupLocation(text), text, false);
    History.pop_front();
    if (History.empty()) EnableButton(IDM_FOLDER_BACK, false);
}

void FDlgGetFileName::GoUp() {
    wchar_t path[kMaxPath];
    const LocationCode code = CurrentPath(*view, path);
    LocationCode parentCode = kNoLocation;
    wchar_t parentPath[kMaxPath];
    if (ParentLocation(code, path, parentCode, parentPath)) (void)Navigate(parentCode, parentPath, true);
}

void FDlgGetFileName::ShowLocationMenu() {
    if (!FolderBar) return;
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    wchar_t path[kMaxPath];
    CurrentPath(*view, path);
    const std::vector<std::wstring> components = SplitLocationPath(path);
    AppendMenuW(menu, MF_STRING, IDM_ANCESTOR_FIRST, LocationName(kDesktop));
    const int levels = std::min(static_cast<int>(components.size()), IDM_ANCESTOR_LAST - IDM_ANCESTOR_FIRST);
    for (int k = 1; k <= levels; ++k)
        AppendMenuW(menu, MF_STRING, IDM_ANCESTOR_FIRST + k, LocationMenuText(components, k).c_str());
    CheckMenuRadioItem(menu, 0, levels, levels, MF_BYPOSITION);

    RECT button{};
    SendMessageW(FolderBar, TB_GETRECT, IDM_FOLDER_LOCATION, reinterpret_cast<LPARAM>(&button));
    POINT corner{button.left, button.top};
    ClientToScreen(FolderBar, &corner);
    TrackPopupMenu(menu, TPM_VERTICAL | TPM_BOTTOMALIGN, corner.x, corner.y, 0, hwnd, nullptr);
    DestroyMenu(menu);
}

void FDlgGetFileName::GoToAncestor(int level) {
    if (level == 0) {
        (void)Navigate(kDesktop, L"", true);
        return;
    }
    wchar_t path[kMaxPath];
    CurrentPath(*view, path);
    const std::vector<std::wstring> components = SplitLocationPath(path);
    if (level > static_cast<int>(components.size())) return;
    wchar_t ancestor[kMaxPath];
    if (!AncestorPath(components, level, ancestor)) return;
    (void)Navigate(LookupLocation(ancestor), ancestor, true);
}

void FDlgGetFileName::ShowBackUpMenu() {
    HMENU menu = LoadMenuW(AppInstance, ByLanguage(L"FMenuDlgGetFileName_E", L"FMenuDlgGetFileName_J"));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup) {
        EnableMenuItem(popup, IDM_FOLDER_BACK, MF_BYCOMMAND | (History.empty() ? MF_GRAYED : MF_ENABLED));
        EnableMenuItem(popup, IDM_FOLDER_UP, MF_BYCOMMAND | (view->location == kDesktop ? MF_GRAYED : MF_ENABLED));
        wchar_t root[kMaxPath];
        EnableMenuItem(popup, IDM_FOLDER_FIND, MF_BYCOMMAND | (SearchRoot(root) ? MF_ENABLED : MF_GRAYED));
        const DWORD position = GetMessagePos();
        TrackPopupMenu(popup, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, GET_X_LPARAM(position), GET_Y_LPARAM(position), 0,
                       hwnd, nullptr);
    }
    DestroyMenu(menu);
}
