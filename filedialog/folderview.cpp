// The folder view: construction, locations and filter, columns and their
// sort arrows, view modes and the view menu, icons on demand and keys.
#include "filedialog/folderview.h"

#include <cwchar>

#include "framework/appvalues.h"
#include "framework/errorbox.h"
#include "framework/language.h"
#include "framework/window.h"
#include "platform/cestatus.h"
#include "platform/ceshell.h"
#include "resources/resource.h"
#include "shell/fileitem.h"

namespace {

// The shortcut target buffer of the handheld shell.
constexpr int kShortcutTargetUnits = 520;

// Sort arrows: two images over magenta, 7 by 16 or, when HiRes, 14 by 32.
constexpr COLORREF kArrowMask = RGB(255, 0, 255);
constexpr int kArrowAscending = 0;
constexpr int kArrowDescending = 1;

struct ColumnSpec {
    const wchar_t* english;
    const wchar_t* japanese;
    int format;
    int sortKey;
};

constexpr ColumnSpec kColumns[kColumnCount] = {
    {L"Name", L"名前", LVCFMT_LEFT, kSortByName},
    {L"Size", L"ｻｲｽﾞ", LVCFMT_RIGHT, kSortBySize},
    {L"Type", L"種類", LVCFMT_LEFT, kSortByType},
    {L"Date", L"更新日時", LVCFMT_LEFT, kSortByDate},
};

// View modes in command order (50 to 53).
constexpr DWORD kViewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

bool IsKnownSpecialLocation(LocationCode code) {
    if (!IsSpecialLocation(code)) return false;
    const DWORD index = code & kLocationIndexMask;
    return index < static_cast<DWORD>(kLocationCount) && LocationTable[index].code == code;
}

}  // namespace

FileItem* AsFileItem(ListEntry* entry) {
    return const_cast<FileItem*>(AsFileItem(static_cast<const ListEntry*>(entry)));
}

const FileItem* AsFileItem(const ListEntry* entry) {
    // Files, plain folders and special locations are file items; applets and
    // databases are not.
    if (!entry) return nullptr;
    if (entry->kind == kFileEntry || entry->kind == kPlainFolder || IsSpecialLocation(entry->kind))
        return static_cast<const FileItem*>(entry);
    return nullptr;
}

bool ReadShortcutTarget(const wchar_t* shortcut, wchar_t* target, int units) {
    if (!ce::SHGetShortcutTarget(shortcut, target, units)) {
        if (units > 0) target[0] = L'\0';
        return false;
    }
    for (wchar_t* c = target; *c; ++c) {
        if (*c < 32) {
            *c = L'\0';
            break;
        }
    }
    CutArguments(target);
    StripQuotes(target);
    return true;
}

// ---- Construction ------------------------------------------------------------------------

FFolderView::FFolderView(HWND listControl) : FWnd(listControl) {
    // The lists belong to the shell's cache: the control must not destroy them.
    ChangeStyle(*this, 0, LVS_SHAREIMAGELISTS);
    SendMessageW(hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons.SmallList()));
    SendMessageW(hwnd, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(icons.LargeList()));
    SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    LoadArrows();
    InsertColumns();
    SetViewMode(IDM_VIEW_LIST);
    stale = true;
}

FFolderView::~FFolderView() {
    // The control may outlive the view: it must point to no entry, image
    // list or arrow strip that goes now.
    if (IsWindow(hwnd)) {
        SendMessageW(hwnd, LVM_DELETEALLITEMS, 0, 0);
        SendMessageW(hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        SendMessageW(hwnd, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
        HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
        if (header) SendMessageW(header, HDM_SETIMAGELIST, 0, 0);
    }
    DeleteAllEntries();
    for (ListEntry* entry : results) delete entry;
    results.clear();
    if (arrows_) ImageList_Destroy(arrows_);
}

void FFolderView::LoadArrows() {
    const int id = HiRes ? IDB_UPDOWN_HI : IDB_UPDOWN;
    const int width = HiRes ? 14 : 7;
    arrows_ = ImageList_LoadImageW(AppInstance, MAKEINTRESOURCEW(id), width, 0, kArrowMask, IMAGE_BITMAP,
                                   LR_CREATEDIBSECTION);
    if (!arrows_) {
        ShowDebug(L"IDB_UPDOWN");
        return;
    }
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
    if (header) SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(arrows_));
}

void FFolderView::InsertColumns() {
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
    for (int i = 0; i < kColumnCount; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = columnWidths[i];
        column.pszText = const_cast<wchar_t*>(ByLanguage(kColumns[i].english, kColumns[i].japanese));
        column.iSubItem = i;
        SendMessageW(hwnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        // The header item carries the sort key its click chooses.
        HDITEMW item{};
        item.mask = HDI_LPARAM;
        item.lParam = kColumns[i].sortKey;
        if (header) SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    UpdateArrows();
}

void FFolderView::UpdateArrows() {
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
    if (!header) return;
    const int key = static_cast<int>(options & kSortKeyMask);
    const int items = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < items; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT | HDI_LPARAM;
        if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
        if (item.lParam == key && arrows_) {
            item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
            item.iImage = (options & kSortDescending) ? kArrowDescending : kArrowAscending;
            item.mask = HDI_FORMAT | HDI_IMAGE;
        } else {
            item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
            item.mask = HDI_FORMAT;
        }
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

// ---- Locations and filter -------------------------------------------------------------------

LocationCode FFolderView::Location(wchar_t* text) const {
    lstrcpynW(text, IsSpecialLocation(location) ? LocationName(location) : path, kMaxPath);
    return location;
}

LocationCode FFolderView::LocationPath(wchar_t* text) const {
    lstrcpynW(text, path, kMaxPath);
    return location;
}

bool FFolderView::MoveToLocation(LocationCode code, const wchar_t* folderPath) {
    if (code == kPlainFolder) {
        if (!folderPath || wcsnlen(folderPath, kMaxPath) >= static_cast<size_t>(kMaxPath)) return false;
        if (!IsFolder(folderPath)) return false;
        if (location == kPlainFolder && _wcsicmp(folderPath, path) == 0) return false;
        lstrcpynW(path, folderPath, kMaxPath);
    } else {
        // Only the table's own codes name special locations.
        if (!IsKnownSpecialLocation(code) || code == location) return false;
        lstrcpynW(path, ::LocationPath(code), kMaxPath);
    }
    location = code;
    stale = true;
    return true;
}

bool FFolderView::SetFilter(const wchar_t* patterns) {
    if (std::wcscmp(patterns, filter) == 0) return false;
    lstrcpynW(filter, patterns, kMaxPath);
    stale = true;
    return true;
}

void FFolderView::RefreshWhenStale(bool force) {
    if (force || stale) Refresh();
}

ListEntry* FFolderView::EntryAt(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (index < 0 || !SendMessageW(hwnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<ListEntry*>(item.lParam);
}

LocationCode FFolderView::EntryPath(int index, wchar_t* out) const {
    const ListEntry* entry = EntryAt(index);
    if (!entry) {
        out[0] = L'\0';
        return kNoLocation;
    }
    const FileItem* item = AsFileItem(entry);
    lstrcpynW(out, item ? item->Path() : entry->Name(), kMaxPath);
    return entry->kind;
}

// ---- View modes and the view menu ----------------------------------------------------------------

void FFolderView::SetViewMode(int command) {
    if (command < IDM_VIEW_LARGE || command > IDM_VIEW_DETAILS) return;
    if (command == IDM_VIEW_DETAILS && subItemsPending_) {
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
        FillPendingSubItems();
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    }
    const bool wasDetails = ViewModeCommand() == IDM_VIEW_DETAILS;
    ChangeStyle(*this, LVS_TYPEMASK, kViewStyles[command - IDM_VIEW_LARGE]);
    if (ShowsResults() && wasDetails != (command == IDM_VIEW_DETAILS)) RelabelResults();
    // The control lays its items out anew but repaints only where items now
    // are: what Details drew beside and below them (the header's place, the
    // other columns) would stay on the screen.
    InvalidateRect(hwnd, nullptr, TRUE);
}

int FFolderView::ViewModeCommand() const {
    const DWORD style = GetWindowLongW(hwnd, GWL_STYLE) & LVS_TYPEMASK;
    for (int i = 0; i < 4; ++i)
        if (kViewStyles[i] == style) return IDM_VIEW_LARGE + i;
    return IDM_VIEW_LIST;
}

HMENU FFolderView::LoadViewMenu() const {
    HMENU menu = LoadMenuW(AppInstance, ByLanguage(L"FMenuViews_E", L"FMenuViews_J"));
    if (!menu) return nullptr;
    HMENU popup = GetSubMenu(menu, 0);
    // The popup is taken out so that the caller destroys just what it shows.
    RemoveMenu(menu, 0, MF_BYPOSITION);
    DestroyMenu(menu);
    if (!popup) return nullptr;
    CheckMenuRadioItem(popup, IDM_VIEW_LARGE, IDM_VIEW_DETAILS, ViewModeCommand(), MF_BYCOMMAND);
    return popup;
}

void FFolderView::ShowViewMenu(HWND owner, HWND toolbar, int button) const {
    HMENU popup = LoadViewMenu();
    if (!popup) return;
    RECT rect{};
    if (toolbar) SendMessageW(toolbar, TB_GETRECT, button, reinterpret_cast<LPARAM>(&rect));
    POINT corner{rect.left, rect.top};
    if (toolbar) ClientToScreen(toolbar, &corner);
    TrackPopupMenu(popup, TPM_VERTICAL | TPM_BOTTOMALIGN, corner.x, corner.y, 0, owner, nullptr);
    DestroyMenu(popup);
}

// ---- Icons on demand and keys ------------------------------------------------------------------

void FFolderView::OnGetDispInfo(NMLVDISPINFOW& info) {
    if ((info.item.mask & LVIF_TEXT) && info.item.iSubItem != kNameColumn) {
        FormatSubItem(EntryAt(info.item.iItem), info.item.iSubItem, info.item.pszText, info.item.cchTextMax);
    }
    if (!(info.item.mask & LVIF_IMAGE) || info.item.iSubItem != kNameColumn) return;
    const ListEntry* entry = EntryAt(info.item.iItem);
    if (!entry) return;
    const FileItem* item = AsFileItem(entry);
    if (!item) {
        info.item.iImage = entry->image;
        return;
    }
    const wchar_t* entryPath = item->Path();
    wchar_t target[kShortcutTargetUnits] = L"";
    const wchar_t* iconPath = entryPath;
    DWORD attributes = item->Attributes();
    int overlay = 0;
    if (IsShortcut(entryPath)) {
        const DWORD own = ce::GetFileAttributesW(entryPath);
        overlay = (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_INROM)) ? kOverlayShortcutInRom
                                                                                     : kOverlayShortcut;
        // An unreadable shortcut has an empty target: a plain document.
        iconPath = target;
        attributes = ReadShortcutTarget(entryPath, target, kShortcutTargetUnits) ? ce::GetFileAttributesW(target)
                                                                               : INVALID_FILE_ATTRIBUTES;
    } else if (attributes & FILE_ATTRIBUTE_INROM) {
        overlay = kOverlayInRom;
    }
    info.item.iImage = GetFileIconIndex(icons, iconPath, attributes, kIconsFromAll);
    info.item.mask |= LVIF_DI_SETITEM;
    if (overlay) {
        info.item.mask |= LVIF_STATE;
        info.item.state = (info.item.state & ~LVIS_OVERLAYMASK) | INDEXTOOVERLAYMASK(overlay);
        info.item.stateMask |= LVIS_OVERLAYMASK;
        // The control keeps the image of this answer but not its state: the
        // overlay goes onto the item itself, once, as the image is asked
        // for only once.
        LVITEMW state{};
        state.stateMask = LVIS_OVERLAYMASK;
        state.state = INDEXTOOVERLAYMASK(overlay);
        SendMessageW(hwnd, LVM_SETITEMSTATE, info.item.iItem, reinterpret_cast<LPARAM>(&state));
    }
}

bool FFolderView::OnCommand(int command) {
    switch (command) {
    case IDM_FOLDER_NEW:
        NewFolder();
        return true;
    case IDM_FOLDER_DELETE:
        Delete();
        return true;
    case IDM_VIEW_LARGE:
    case IDM_VIEW_SMALL:
    case IDM_VIEW_LIST:
    case IDM_VIEW_DETAILS:
        SetViewMode(command);
        return true;
    case IDM_SORT_NAME:
        SetSort(kSortByName);
        return true;
    case IDM_SORT_TYPE:
        SetSort(kSortByType);
        return true;
    case IDM_SORT_SIZE:
        SetSort(kSortBySize);
        return true;
    case IDM_SORT_DATE:
        SetSort(kSortByDate);
        return true;
    default:
        return false;
    }
}

void FFolderView::OnKeyDown(const NMLVKEYDOWN& key) {
    switch (key.wVKey) {
    case VK_BACK:
        PostMessageW(GetParent(hwnd), WM_COMMAND, IDM_FOLDER_UP, 0);
        break;
    case VK_DELETE:
        Delete();
        break;
    case VK_F5:
        Refresh();
        break;
    default:
        break;
    }
}
